#include "cleaning/file_step.h"

#include "cleaning/protected_paths.h"
#include "context/context.h"
#include "platform/error.h"
#include "platform/text.h"
#include "platform/windows_codes.h"

namespace kehrwix {

bool taken_by_file_step(const fs::Attributes& a) {
    return !a.directory || a.link;
}

namespace {

// A placeholder's data lives in the cloud; a file Windows still needs at the next restart
// belongs to an unfinished installation.
bool must_stay(const RestartFiles& restart_files, const std::string& folder,
               const fs::DirEntry& entry) {
    return entry.attributes.placeholder || restart_files.contains(folder, entry.name);
}

// Deleting ignores read-only where the system can (Windows 10 and later, and POSIX, where the
// file's own mode never mattered), so attributes are touched only after a delete failed. They
// belong to the file, not to the name: a hard link to a read-only file elsewhere must not
// leave that file writable. So clear_attributes changes only a file with one name, and what it
// changed is put back when the file stays anyway. False when someone else removed the file
// first.
bool delete_one(const fs::Folder& folder, const fs::DirEntry& entry) {
    // Judged when the folder was listed; refused as Windows refuses a file in use.
    if (entry.attributes.in_use)
        throw RunError(kErrorPermissionDenied, "in use", win_code::kSharingViolation);
    try {
        folder.delete_file(entry.name);
        return true;
    } catch (const RunError& error) {
        // Someone else removed it first: it is gone, which is all the step wants.
        if (error.number() == kErrorFileNotFound)
            return false;
        if (entry.attributes.link)
            throw;
    }
    const fs::SavedAttributes saved = folder.clear_attributes(entry.name);
    try {
        folder.delete_file(entry.name);
    } catch (const RunError&) {
        try {
            folder.restore_attributes(entry.name, saved);
        } catch (const RunError&) {
            // Gone or changed meanwhile: nothing left to put back.
        }
        throw;
    }
    return true;
}

class Pass {
  public:
    Pass(Context& program, CleaningState& state, const FileStepFolder& target)
        : program_(program), state_(state), target_(target) {}

    void run(const std::vector<fs::DirEntry>& entries) {
        for (const fs::DirEntry& entry : entries) {
            if (!taken_by_file_step(entry.attributes))
                continue;
            program_.screen.flush_if_due();
            delete_or_keep(entry);
        }
    }

  private:
    bool must_stay(const fs::DirEntry& entry) const {
        return kehrwix::must_stay(state_.restart_files, target_.path, entry);
    }

    void delete_or_keep(const fs::DirEntry& entry) {
        auto& keep_list = state_.keep_list;
        if (!keep_list.empty() && keep_list.count(kept_name(entry.name)) != 0)
            return;
        if (is_protected_file(entry.name) || must_stay(entry)) {
            if (keep_list.insert(kept_name(entry.name)).second)
                state_.tally.keep(KeptReason::protected_entry);
            return;
        }
        try {
            if (delete_one(target_.folder, entry))
                state_.tally.file_deleted(entry);
        } catch (const RunError& error) {
            if (keep_list.insert(kept_name(entry.name)).second)
                state_.tally.keep(kept_reason(error));
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

bool file_step_would_delete(const RestartFiles& restart_files, const std::string& folder,
                            const fs::DirEntry& entry) {
    return taken_by_file_step(entry.attributes) && !is_protected_file(entry.name) &&
           !must_stay(restart_files, folder, entry);
}

void file_step(Context& program, CleaningState& state, const FileStepFolder& target,
               const std::vector<fs::DirEntry>& entries) {
    Pass(program, state, target).run(entries);
}

}  // namespace kehrwix
