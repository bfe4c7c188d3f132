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
    static constexpr int kSlots = 400;
    // Index 0 is not used; slots 1..400.
    std::vector<std::string> display = std::vector<std::string>(kSlots + 1);
    std::vector<std::string> entry = std::vector<std::string>(kSlots + 1);
    std::string listed_folder;  // always ends with "\"
    std::string shown_path;
    ListingKind kind = ListingKind::folders;
};

// Builds the listing of the current folder (or the drives) into session.listing.
void build_listing(MenuSession& session);

}  // namespace kehrwix
