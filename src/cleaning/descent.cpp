#include "cleaning/descent.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/attribute_fallback.h"
#include "cleaning/file_step.h"
#include "cleaning/progress_row.h"
#include "cleaning/run_tally.h"
#include "cleaning/tool_start.h"
#include "context/context.h"
#include "platform/error.h"
#include "platform/folder.h"
#include "platform/path_model.h"
#include "platform/text.h"
#include "rules/folder_rule.h"

namespace kehrwix {
namespace {

const std::string kAfterFolder(80, ' ');

struct Level {
    std::optional<fs::Folder> folder;  // closed for levels far above a deep position
    std::string name;                  // on-disk name in the parent level
    std::string path;                  // canonical
    std::string shown;
    bool in_use = false;  // held by another process when its parent was listed
    // Places in `files`, in the order they are emptied: ascending by upper-case name. A
    // subfolder that could not be removed is simply not met again, so one locked folder ends
    // nothing.
    std::vector<std::uint32_t> subfolders;
    std::size_t next = 0;
    // The folder's entries as listed; its file step works on them after the subfolders, so
    // every folder is read once.
    std::optional<std::vector<fs::DirEntry>> files;
    // The attribute tool call made before a subfolder of this level is removed; looked up
    // once, while this level is the run's current folder.
    std::optional<std::optional<ToolCall>> tool_call;
    // Set once the tool was refused or failed here and its work was done in-process instead;
    // it is not tried again for this folder.
    bool cleared_in_process = false;
};

class Descent {
  public:
    Descent(Context& program, CleaningState& state, const FolderRule& rule, std::size_t open_limit)
        : program_(program),
          state_(state),
          rule_(rule),
          open_limit_(std::max<std::size_t>(open_limit, 1)) {}

    void run(fs::Folder listed, const std::string& shown) {
        Level root;
        root.path = listed.path();
        root.shown = shown;
        try {
            root.folder = std::move(listed);
            list(root);
        } catch (const RunError&) {
            return;  // the listed folder itself stays, whatever keeps it from being opened
        }
        stack_.push_back(std::move(root));
        enter_model(stack_.back());

        for (;;) {
            const std::size_t top = stack_.size() - 1;
            try {
                handle(top);
            } catch (const RunError&) {
                // Swapped or gone since it was listed: nothing below it can be reached safely.
                stack_.pop_back();
                enter_model(stack_.back());
                continue;
            }
            Level& level = stack_[top];
            if (level.next < level.subfolders.size()) {
                const fs::DirEntry next = (*level.files)[level.subfolders[level.next++]];
                descend(top, next);
            } else if (top == 0) {
                empty_files(0);
                return;
            } else {
                leaf_step(top);
                climb();
            }
        }
    }

  private:
    void list(Level& level) {
        program_.screen.drain_input();
        std::vector<fs::DirEntry> entries =
            entries_to_empty(rule_, *level.folder, level.folder->entries(), true, state_.tally);
        // The upper-case names side by side in one string: a folder of many thousand
        // subfolders is sorted without a string of its own per name.
        struct Key {
            std::uint32_t at, length, entry;
        };
        std::string names;
        std::vector<Key> keyed;
        for (std::uint32_t i = 0; i < entries.size(); ++i) {
            const fs::DirEntry& entry = entries[i];
            // A folder Windows moves at the next restart is a staged installation.
            if (is_subfolder(entry.attributes) &&
                !state_.restart_files.contains(level.path, entry.name)) {
                const std::string upper = text::upper(entry.name);
                keyed.push_back({static_cast<std::uint32_t>(names.size()),
                                 static_cast<std::uint32_t>(upper.size()), i});
                names += upper;
            }
        }
        level.files = std::move(entries);
        const auto name_of = [&names](const Key& key) {
            return std::string_view(names).substr(key.at, key.length);
        };
        std::sort(keyed.begin(), keyed.end(), [&](const Key& a, const Key& b) {
            const int order = name_of(a).compare(name_of(b));
            return order != 0 ? order < 0 : a.entry < b.entry;
        });
        level.subfolders.reserve(keyed.size());
        for (const Key& key : keyed)
            level.subfolders.push_back(key.entry);
    }

    // The handle of a level, reopened through its ancestors when it was closed. Every step of
    // the way refuses links, so a folder swapped for one is not followed.
    const fs::Folder& handle(std::size_t index) {
        if (stack_[index].folder)
            return *stack_[index].folder;
        std::size_t open = index;
        while (!stack_[open].folder)
            --open;  // the listed folder is never closed
        const std::size_t keep_from = index + 1 > open_limit_ ? index + 1 - open_limit_ : 0;
        std::optional<fs::Folder> walker;
        for (std::size_t j = open + 1; j <= index; ++j) {
            const fs::Folder& from = stack_[j - 1].folder ? *stack_[j - 1].folder : *walker;
            fs::Folder child = from.open_child(stack_[j].name);
            if (j >= keep_from) {
                stack_[j].folder = std::move(child);
                walker.reset();
            } else {
                walker = std::move(child);
            }
        }
        return *stack_[index].folder;
    }

    void descend(std::size_t top, const fs::DirEntry& entry) {
        const std::string& name = entry.name;
        // A subfolder the listing shows empty needs no visit: removing it at once is what
        // emptying it and climbing back would do. Elsewhere no removal is tried before the
        // folder was emptied, so none fails on the normal path.
        if (entry.attributes.empty && !entry.attributes.in_use &&
            remove_child(top, name, false, true)) {
            leaf_without_files(stack_[top].shown + "\\" + name);
            return;
        }
        Level child;
        child.name = name;
        child.in_use = entry.attributes.in_use;
        child.path = path::join(stack_[top].path, name);
        child.shown = stack_[top].shown + "\\" + name;
        try {
            child.folder = handle(top).open_child_to_remove(name);
            // A system tree under another name (a bind mount, say) is left whole.
            if (rule_.refuses_entered(child.folder->identity())) {
                state_.tally.keep(KeptReason::protected_entry);
                return;
            }
            list(child);
        } catch (const RunError&) {
            // Not enterable: shown and removed like an emptied one, which works only when it
            // is empty already. A handle that did open is closed first, since some systems
            // refuse to remove an open folder.
            child.folder.reset();
            leaf_without_files(child.shown);
            if (!child.in_use)
                remove_child(top, name, false);
            else
                state_.tally.keep(KeptReason::in_use);
            return;
        }
        stack_.push_back(std::move(child));
        enter_model(stack_.back());
        close_far_handles();
    }

    const std::optional<ToolCall>& tool_call(std::size_t index) {
        Level& level = stack_[index];
        if (!level.tool_call)
            level.tool_call = attribute_tool_call(program_, level.path);
        return *level.tool_call;
    }

    void close_far_handles() {
        if (stack_.size() <= open_limit_ + 1)
            return;
        const std::size_t far = stack_.size() - 1 - open_limit_;
        if (far > 0)
            stack_[far].folder.reset();
    }

    void leaf_step(std::size_t top) {
        show_leaf(stack_[top].shown);
        state_.keep_list.clear();
        empty_files(top);
        blank_progress_row(program_.screen);
    }

    // A folder met empty, or one that cannot be entered: shown as a leaf with no files.
    void leaf_without_files(const std::string& shown) {
        show_leaf(shown);
        state_.keep_list.clear();
        blank_progress_row(program_.screen);
    }

    void empty_files(std::size_t index) {
        Level& level = stack_[index];
        try {
            const fs::Folder& folder = handle(index);
            std::vector<fs::DirEntry> entries =
                level.files ? std::move(*level.files)
                            : kept_entries_removed(rule_, folder, folder.entries());
            level.files.reset();
            file_step(program_, state_, FileStepFolder{folder, level.path}, entries);
        } catch (const RunError&) {
            // A folder that cannot be read has no files the step could delete.
        }
    }

    void climb() {
        const std::string name = stack_.back().name;
        const bool in_use = stack_.back().in_use;
        std::optional<fs::Folder> emptied = std::move(stack_.back().folder);
        stack_.pop_back();
        const std::size_t top = stack_.size() - 1;
        enter_model(stack_[top]);
        if (!in_use)
            remove_child(top, name, true, false, std::move(emptied));
        else
            state_.tally.keep(KeptReason::in_use);
    }

    // The attribute tool can only matter where a removal was refused: then it runs (or its
    // work is done in-process) and the removal is tried once more, by name. `entered`: the run
    // emptied it first, so one that stays is kept by what stayed inside it. `listed_empty`: the
    // listing has just shown it empty; should that removal fail, the descent enters it, so
    // nothing is counted yet.
    bool remove_child(std::size_t top, const std::string& name, bool entered,
                      bool listed_empty = false, std::optional<fs::Folder> emptied = std::nullopt) {
        try {
            const fs::Folder& parent = handle(top);
            if (emptied)
                parent.remove_entered(name, std::move(*emptied));
            else if (listed_empty)
                parent.remove_listed_empty(name);
            else
                parent.remove_folder(name);
            ++state_.tally.folders;
            return true;
        } catch (const RunError& error) {
            if (error.number() != kErrorPermissionDenied) {
                // It stays, like a kept file; the descent goes on with the next subfolder.
                if (!listed_empty)
                    state_.tally.folder_stayed(error, entered);
                return false;
            }
        }
        try {
            prepare_removal(top);
            handle(top).remove_folder(name);
            ++state_.tally.folders;
            return true;
        } catch (const RunError& error) {
            if (!listed_empty)
                state_.tally.folder_stayed(error, entered);
            return false;
        }
    }

    // The attribute tool clears the folder the run is in and its direct entries. When it is
    // refused or cannot be started, the same is done here, once for this folder.
    void prepare_removal(std::size_t top) {
        if (stack_[top].cleared_in_process)
            return;
        // Without a tool of this run's own (one of the user's was in the start folder, or the
        // start folder is on a share) the attributes are cleared here too.
        const std::optional<ToolCall>& call = tool_call(top);
        bool started = false;
        try {
            started = call && start_tool(program_, call->tool_path, call->command_line);
        } catch (const RunError&) {
        }
        if (started)
            return;
        if (top > 0) {
            try {
                handle(top - 1).clear_attributes(stack_[top].name);
            } catch (const RunError&) {
            }
        }
        clear_entry_attributes(handle(top));
        stack_[top].cleared_in_process = true;
    }

    // The program's current folder follows the run, so drive-relative names resolve as the
    // run's position says.
    void enter_model(const Level& level) {
        try {
            program_.paths.set_current_folder(level.path);
        } catch (const RunError&) {
            // A name that is no valid Windows name still is emptied through the handles.
        }
    }

    void show_leaf(const std::string& shown) {
        Screen& screen = program_.screen;
        screen.locate(5, 13);
        if (shown.size() >= state_.base_folder.size()) {
            screen.write(shown + kAfterFolder);
            screen.end_line();
        }
    }

    Context& program_;
    CleaningState& state_;
    const FolderRule& rule_;
    std::size_t open_limit_;
    std::vector<Level> stack_;
};

}  // namespace

bool is_subfolder(const fs::Attributes& a) {
    // A placeholder is neither entered nor removed: its contents live in the cloud.
    return a.directory && !a.link && !a.mount && !a.placeholder;
}

void empty_subtree(Context& program, CleaningState& state, const FolderRule& rule,
                   fs::Folder listed, const std::string& shown, std::size_t open_limit) {
    Descent(program, state, rule, open_limit).run(std::move(listed), shown);
}

}  // namespace kehrwix
