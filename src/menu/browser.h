#pragma once
// The directory browser behind the menu screen: moving the highlight bar and opening the
// highlighted entry (parent folder, drive, subfolder).

#include <string>

#include "ui/screen.h"

namespace kehrwix {

struct MenuSession;

// The entry path of the highlighted slot ("" when the slot is empty).
const std::string& highlighted_entry(const MenuSession& session);

// The up entry (or the bare ".." of an empty listing) and a drive of the drive list. Whole
// entries are compared: where the file system allows it, a folder's own name may end with ".."
// or ":".
bool is_up_entry(const MenuSession& session, const std::string& entry);
bool is_drive_entry(const std::string& entry);

// Cursor and page keys; false when the key is none of them.
bool apply_movement_key(MenuSession& session, const std::string& key);
// A released mouse button: on a list row it moves the highlight there, above the list it pages
// up, on the two frame rows below it pages down.
void apply_single_click(MenuSession& session, const KeyInput& input);
// Keeps the top index in range and pulls the highlight back onto the last entry.
void clamp_highlight(MenuSession& session);

// Goes up, changes the drive or enters a folder. A failed drive change or folder entry throws
// FolderChangeFailed; a failure going up is a RunError.
void open_highlighted(MenuSession& session);

// After a failed drive change or folder entry: the message, a pause, and back to where the
// program started. False when there is no drive left to show: the menu cannot go on.
[[nodiscard]] bool recover_from_failed_change(MenuSession& session);

}  // namespace kehrwix
