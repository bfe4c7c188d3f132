#include "cleaning/attribute_fallback.h"

#include "platform/error.h"

namespace kehrwix {

void clear_entry_attributes(const fs::Folder& folder) {
    std::vector<fs::DirEntry> entries;
    try {
        entries = folder.entries();
    } catch (const RunError&) {
        return;
    }
    for (const fs::DirEntry& entry : entries) {
        if (entry.attributes.mount || entry.attributes.placeholder)
            continue;
        try {
            folder.clear_attributes(entry.name);
        } catch (const RunError&) {
        }
    }
}

}  // namespace kehrwix
