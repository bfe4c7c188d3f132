#include "menu/listing.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "menu/menu_session.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

constexpr std::size_t kTextWidth = 79;

// Sort keys that order after every UTF-8 text, since UTF-8 never uses these bytes: drive
// entries before empty slots, both after all folder names.
const std::string kDriveMarker = "\xFE";
const std::string kEmptyMarker = "\xFF";

const std::string kUpText = std::string(28, ' ') + ".." + std::string(kTextWidth - 30, ' ');
const std::string kNoMoreFolders = "        keine weiteren verzeichnisse ";

std::string folder_text(const std::string& upper_name) {
    return text::left(std::string(10, ' ') + upper_name + std::string(69, ' '), kTextWidth);
}

std::string drive_text(char letter) {
    const std::string shown = kDriveMarker + std::string(5, ' ') + letter + ":";
    return shown + std::string(kTextWidth - text::length(shown), ' ');
}

void clear_slots(ListingState& listing) {
    const auto size = static_cast<std::size_t>(ListingState::kMinSlots + 1);
    listing.display.assign(size, std::string());
    listing.entry.assign(size, std::string());
}

// Room for `slot` with an empty slot after it.
void make_room(ListingState& listing, int slot) {
    if (slot < listing.last_slot() + 1)
        return;
    const auto size = static_cast<std::size_t>(listing.slots()) * 2 + 1;
    listing.display.resize(size);
    listing.entry.resize(size);
}

// The current folder as the listing shows it; a folder that has gone away is a failed change.
std::string read_current_folder(MenuSession& session) {
    std::string folder = session.context.current_folder();
    if (!fs::is_folder(folder))
        throw FolderChangeFailed{};
    while (!folder.empty() && folder.back() == ' ')
        folder.pop_back();
    return folder;
}

std::string as_listed_folder(std::string folder) {
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    if (!folder.empty() && folder.front() != '\\' && (folder.size() < 2 || folder[1] != ':')) {
        folder.insert(folder.begin(), '\\');
    }
    return folder;
}

// Only a folder that really opens for listing can be entered: a folder without read access
// passes "is a folder" and fails only when it is opened.
bool can_be_entered(const std::string& folder) {
    try {
        const fs::DirReader probe(folder, fs::DirDetail::kinds);
        return true;
    } catch (const RunError&) {
        return false;
    }
}

// Only folders are collected: files never take a slot, so a folder crowded with files still
// lists its subfolders. An entry must be enterable to be listed, so a failed candidate takes
// no slot either.
int collect_subfolders(MenuSession& session, const std::string& current, int slot) {
    ListingState& listing = session.listing;
    std::unordered_set<std::string> seen;
    fs::DirReader reader(current);
    fs::DirEntry entry;
    while (reader.next(entry)) {
        const fs::Attributes& a = entry.attributes;
        if (!a.directory && !a.link)
            continue;
        std::string name = text::upper(entry.name);
        if (seen.count(name) != 0)
            continue;
        // The on-disk name is tested, so the test holds on case-sensitive file systems too.
        if (!can_be_entered(path::join(current, entry.name)))
            continue;
        seen.insert(name);
        make_room(listing, slot);
        listing.display[slot] = folder_text(name);
        listing.entry[slot] = listing.listed_folder + name;
        ++slot;
    }
    return slot;
}

void sort_slots(ListingState& listing) {
    const int slots = listing.slots();
    for (int i = 1; i <= slots; ++i) {
        if (listing.display[i].empty()) {
            listing.display[i] = kEmptyMarker;
            listing.entry[i].clear();
        }
    }
    std::vector<int> order(static_cast<std::size_t>(slots));
    std::iota(order.begin(), order.end(), 1);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return listing.display[a] < listing.display[b]; });
    std::vector<std::string> display(listing.display.size());
    std::vector<std::string> entry(listing.entry.size());
    for (int i = 0; i < slots; ++i) {
        std::string& shown = listing.display[order[i]];
        if (shown != kEmptyMarker) {
            display[i + 1] = std::move(shown);
            entry[i + 1] = std::move(listing.entry[order[i]]);
        }
    }
    listing.display = std::move(display);
    listing.entry = std::move(entry);
}

void build_folder_listing(MenuSession& session) {
    ListingState& listing = session.listing;
    const std::string current = read_current_folder(session);
    const bool root = text::length(current) <= 3;
    listing.listed_folder = as_listed_folder(current);
    listing.shown_path = listing.listed_folder;

    int slot = 1;
    if (!root) {
        listing.display[slot] = kUpText;
        listing.entry[slot] = listing.listed_folder + "..";
        ++slot;
    }
    const int end = collect_subfolders(session, current, slot);
    sort_slots(listing);

    if (end == slot) {
        listing.display[1] = kUpText;
        listing.entry[1] = "..";
        listing.display[2] = kNoMoreFolders;
        listing.entry[2] = "..";
    }
}

void build_drive_listing(ListingState& listing) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const int slot = letter - 'A' + 1;
        listing.display[slot] = drive_text(letter);
        listing.entry[slot] = std::string(1, letter) + ":";
    }
}

// Texts are cut to the list width, and the up entry always leads the list.
void finish_slots(ListingState& listing) {
    for (int i = 1; i <= listing.slots() && !listing.display[i].empty(); ++i) {
        if (text::length(listing.display[i]) > kTextWidth) {
            listing.display[i] = text::left(listing.display[i], kTextWidth);
        }
        if (i >= 2 && listing.display[i] == kUpText) {
            std::rotate(listing.display.begin() + 1, listing.display.begin() + i,
                        listing.display.begin() + i + 1);
            std::rotate(listing.entry.begin() + 1, listing.entry.begin() + i,
                        listing.entry.begin() + i + 1);
        }
    }
}

}  // namespace

void build_listing(MenuSession& session) {
    ListingState& listing = session.listing;
    Screen& screen = session.context.screen;
    screen.clear();
    clear_slots(listing);

    if (listing.kind == ListingKind::drives) {
        build_drive_listing(listing);
    } else {
        build_folder_listing(session);
    }

    // Keys typed during a slow listing must not act on the new screen.
    screen.drain_input();
    screen.normal_colours();
    screen.clear();
    finish_slots(listing);
}

}  // namespace kehrwix
