#include "cleaning/file_step.h"

#include "cleaning/protected_paths.h"
#include "cleaning/tool_start.h"
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
    // Judged when the folder was listed; refused as Windows refuses a file in use.
    if (a.in_use)
        throw RunError(kErrorPermissionDenied, "in use");
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

    FileStepResult run(const std::vector<fs::DirEntry>& entries) {
        const fs::DirEntry* tree_tool = nullptr;
        bool holds_what_must_stay = false;
        if (target_.subtree_line) {
            for (const fs::DirEntry& entry : entries) {
                if (fs::is_plain_file(entry.attributes) &&
                    text::equal_nocase(entry.name, "deltree.exe")) {
                    tree_tool = &entry;
                }
                holds_what_must_stay = holds_what_must_stay || must_stay(entry);
            }
        }
        // The tree-deletion tool would take the whole folder with it.
        if (tree_tool != nullptr && !holds_what_must_stay)
            tree_tool_ = tree_tool->name;
        for (const fs::DirEntry& entry : entries) {
            // The tree-deletion tool stays at hand until every other file has had its turn.
            if (&entry == tree_tool || !is_file(entry.attributes))
                continue;
            program_.screen.flush_if_due();
            if (delete_or_keep(entry))
                return FileStepResult::folder_replaced;
        }
        if (tree_tool != nullptr) {
            tree_tool_.clear();
            delete_or_keep(*tree_tool);
        }
        return FileStepResult::done;
    }

  private:
    // A placeholder's data lives in the cloud; a file Windows still needs at the next restart
    // belongs to an unfinished installation.
    bool must_stay(const fs::DirEntry& entry) const {
        return entry.attributes.placeholder ||
               state_.restart_files.contains(target_.path, entry.name);
    }

    // True when the tree-deletion tool took over and the folder is a new one.
    bool delete_or_keep(const fs::DirEntry& entry) {
        auto& keep_list = state_.keep_list;
        if (!keep_list.empty() && keep_list.count(kept_name(entry.name)) != 0)
            return false;
        if (is_protected_file(entry.name) || must_stay(entry)) {
            keep_list.insert(kept_name(entry.name));
            return false;
        }
        try {
            delete_one(target_.folder, entry);
        } catch (const RunError&) {
            if (hand_over_to_tree_tool())
                return true;
            keep_list.insert(kept_name(entry.name));
            program_.screen.locate(17, 1);
        }
        return false;
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

    // The tree-deletion tool gets one chance per pass; a tool that cannot be started or leaves
    // the folder behind would otherwise be started again for the same file forever.
    bool hand_over_to_tree_tool() {
        if (tree_tool_.empty() || tree_tool_tried_)
            return false;
        if (target_.path.find(' ') != std::string::npos)
            return false;
        tree_tool_tried_ = true;
        return run_tree_deletion(program_, target_.path, tree_tool_);
    }

    Context& program_;
    CleaningState& state_;
    const FileStepFolder& target_;
    std::string tree_tool_;  // on-disk name of a plain deltree.exe in the folder
    bool tree_tool_tried_ = false;
};

}  // namespace

FileStepResult file_step(Context& program, CleaningState& state, const FileStepFolder& target,
                         const std::vector<fs::DirEntry>& entries) {
    return Pass(program, state, target).run(entries);
}

}  // namespace kehrwix
