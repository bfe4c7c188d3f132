#pragma once
// The menu's commands, as keys and legend words name them.

namespace kehrwix {

enum class Command {
    none,
    open,
    clean,
    drive_list,
    remember_without_subfolders,
    remember_with_subfolders,
    remember,  // with the subfolder flag as the last m or s left it
    reset,
    show_list,
    default_paths,
};

}  // namespace kehrwix
