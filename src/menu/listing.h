#pragma once
// The folder listing: the enterable subfolders of the current folder (or the drive letters)
// as a display list and an entry list for the menu screen.

#include <string>
#include <vector>

namespace kehrwix {

struct MenuSession;

// A drive or folder change that failed while the menu was listing, entering or changing; the
// menu screen shows its message and goes back to the start folder.
struct FolderChangeFailed {};

// The subfolders of the current folder, or the drive letters (menu key l).
enum class ListingKind { folders, drives };

struct ListingState {
    // A listing has at least this many slots; a folder with more subfolders gets as many as it
    // needs, and its last slot always stays empty, so the list ends in a marker.
    static constexpr int kMinSlots = 400;
    // Index 0 is not used; slots 1..slots().
    std::vector<std::string> display = std::vector<std::string>(kMinSlots + 1);
    std::vector<std::string> entry = std::vector<std::string>(kMinSlots + 1);
    int slots() const { return static_cast<int>(display.size()) - 1; }
    // The last slot that can hold an entry.
    int last_slot() const { return slots() - 1; }
    std::string listed_folder;  // always ends with "\"
    std::string shown_path;
    ListingKind kind = ListingKind::folders;
};

// Builds the listing of the current folder (or the drives) into session.listing.
void build_listing(MenuSession& session);

}  // namespace kehrwix
