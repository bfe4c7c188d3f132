#include "cleaning/run_tally.h"

#include <algorithm>

#include "cleaning/descent.h"
#include "context/context.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "platform/windows_codes.h"
#include "rules/folder_rule.h"
#include "ui/german_numbers.h"

namespace kehrwix {

void RunTally::folder_stayed(const RunError& error, bool entered) {
    const unsigned long code = error.windows_code();
    const bool not_empty = code == win_code::kDirNotEmpty || code == win_code::kAlreadyExists;
    if (!entered || !not_empty)
        keep(not_empty ? KeptReason::locked : kept_reason(error));
}

KeptReason kept_reason(const RunError& error) {
    const unsigned long code = error.windows_code();
    return code == win_code::kSharingViolation || code == win_code::kLockViolation
               ? KeptReason::in_use
               : KeptReason::locked;
}

std::vector<fs::DirEntry> entries_to_empty(const FolderRule& rule, const fs::Folder& folder,
                                           std::vector<fs::DirEntry> entries, bool whole_subtree,
                                           RunTally& tally) {
    std::uint64_t kept = 0;
    const bool may_keep = rule.may_keep_entries(folder.identity());
    // One pass, asking the rule once per entry where it may keep any: this runs for every
    // folder of a "*" line.
    std::erase_if(entries, [&](const fs::DirEntry& entry) {
        const bool folder_entry = entry.attributes.directory && !entry.attributes.link;
        // In a files-only line a folder stays whatever it is; that is no keep.
        const bool counts = whole_subtree || !folder_entry;
        if (may_keep && rule.keeps_entry(folder.identity(), entry.name)) {
            kept += counts ? 1 : 0;
            return true;
        }
        if (whole_subtree && folder_entry && !is_subfolder(entry.attributes))
            ++kept;
        return false;
    });
    tally.keep(KeptReason::protected_entry, kept);
    return entries;
}

FreedSpace::FreedSpace(const Services& services) {
    if (services.free_space)
        probe_ = services.free_space;
    else if (!fs::listing_carries_sizes())
        probe_ = fs::free_space;
}

void FreedSpace::line_starts(const std::string& folder) {
    if (probe_)
        before_ = probe_(folder);
}

void FreedSpace::line_ends(const std::string& folder) {
    if (!probe_)
        return;
    const std::optional<std::uint64_t> after = probe_(folder);
    if (!before_ || !after) {
        unknown_ = true;
        return;
    }
    // Others may fill the volume meanwhile; a line never frees less than nothing.
    if (*after > *before_)
        freed_ += *after - *before_;
    before_.reset();
}

std::optional<std::uint64_t> FreedSpace::bytes(const RunTally& tally) const {
    if (!probe_)
        return tally.listed_bytes;
    if (unknown_)
        return std::nullopt;
    return freed_;
}

std::string result_line(const RunTally& tally, std::optional<std::uint64_t> freed,
                        std::size_t width) {
    static constexpr const char* kWords[] = {"belegt", "gesperrt", "geschützt"};
    std::string reasons;
    std::uint64_t kept = 0;
    for (std::size_t i = 0; i < tally.kept.size(); ++i) {
        if (tally.kept[i] == 0)
            continue;
        reasons += (reasons.empty() ? "" : ", ") + counted(tally.kept[i], kWords[i], kWords[i]);
        kept += tally.kept[i];
    }
    std::string gone = "Nichts gelöscht";
    std::string short_gone = gone;
    if (tally.files + tally.folders > 0) {
        const std::string size = freed ? " (" + binary_size(*freed) + ")" : "";
        gone = counted(tally.files, "Datei", "Dateien") + ", " +
               counted(tally.folders, "Ordner", "Ordner") + " gelöscht" + size;
        short_gone = std::to_string(tally.files) + " Dat., " + std::to_string(tally.folders) +
                     " Ord. gelöscht" + size;
    }
    if (kept == 0)
        return text::left(gone, width);
    // The longest form that fits: every reason in full words, then in fewer words, then only
    // how many stayed.
    const std::string how_many = std::to_string(kept) + " blieben";
    for (const std::string& line :
         {gone + "; blieben: " + reasons, gone + "; " + reasons, short_gone + "; " + reasons,
          gone + "; " + how_many, short_gone + "; " + how_many}) {
        if (text::length(line) <= width)
            return line;
    }
    return text::left(short_gone + "; " + how_many, width);
}

}  // namespace kehrwix
