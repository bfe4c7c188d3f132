#include "cleaning/file_step.h"

#include "cleaning/protected_paths.h"
#include "context/context.h"
#include "platform/error.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

bool is_file(const fs::Attributes& a) {
    return !a.directory || a.link;
}

// On POSIX deleting does not depend on these attributes, and clearing costs a call per file,
// so it is done only where the listing shows one of them, or after a failed delete.
void delete_one(const fs::Folder& folder, const fs::DirEntry& entry) {
    const fs::Attributes& a = entry.attributes;
    const bool marked = a.readonly || a.hidden || a.system;
    try {
        if (marked && !a.link)
            folder.clear_attributes(entry.name);
        folder.delete_file(entry.name);
        return;
    } catch (const RunError& error) {
        // Someone else removed it first: it is gone, which is all the step wants.
        if (error.number() == kErrorFileNotFound)
            return;
        if (marked || a.link)
            throw;
    }
    folder.clear_attributes(entry.name);
    folder.delete_file(entry.name);
}

class Pass {
  public:
    Pass(Context& program, CleaningState& state, const FileStepFolder& target)
        : program_(program), state_(state), target_(target) {}

    void run(const std::vector<fs::DirEntry>& entries) {
        for (const fs::DirEntry& entry : entries) {
            if (!is_file(entry.attributes))
                continue;
            program_.screen.flush_if_due();
            delete_or_keep(entry);
        }
    }

  private:
    // A placeholder's data lives in the cloud; a file Windows still needs at the next restart
    // belongs to an unfinished installation.
    bool must_stay(const fs::DirEntry& entry) const {
        return entry.attributes.placeholder ||
               state_.restart_files.contains(target_.path, entry.name);
    }

    void delete_or_keep(const fs::DirEntry& entry) {
        auto& keep_list = state_.keep_list;
        if (!keep_list.empty() && keep_list.count(kept_name(entry.name)) != 0)
            return;
        if (is_protected_file(entry.name) || must_stay(entry)) {
            keep_list.insert(kept_name(entry.name));
            return;
        }
        try {
            delete_one(target_.folder, entry);
        } catch (const RunError&) {
            keep_list.insert(kept_name(entry.name));
            program_.screen.locate(17, 1);
        }
    }

    // The keep list's entry for a file: built only when the list is asked or grows, since
    // nearly every file is simply deleted.
    std::string kept_name(const std::string& name) const {
        const std::string upper = text::upper(name);
        std::string kept;
        kept.reserve(target_.path.size() + 1 + upper.size());
        kept += target_.path;
        kept += '\\';
        kept += upper;
        return kept;
    }

    Context& program_;
    CleaningState& state_;
    const FileStepFolder& target_;
};

}  // namespace

void file_step(Context& program, CleaningState& state, const FileStepFolder& target,
               const std::vector<fs::DirEntry>& entries) {
    Pass(program, state, target).run(entries);
}

}  // namespace kehrwix
