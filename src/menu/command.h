#pragma once
// The menu's commands, named for what they do; the keys and legend words that start them are in
// menu.cpp and menu_screen.h, whatever their German labels suggest.

namespace kehrwix {

enum class Command {
    none,
    open,
    clean,
    drive_list,
    remember_without_subfolders,  // m: files only, and the choice for F10 from now on
    remember_with_subfolders,     // s: the whole subtree, and the choice for F10 from now on
    remember_with_last_choice,    // F10, "Pfad (m)erken": as the last m or s chose
    reset_to_default_entry,       // a, "(a)lle Pfade neu"
    show_list,
    new_scan,  // d, "(d)efault Pfade": the path list file deleted, the drives searched anew
};

}  // namespace kehrwix
