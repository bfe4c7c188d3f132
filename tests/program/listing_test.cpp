// The folder listing as the menu screen builds it: the up entry, the subfolders in order, and
// what is left out.

#include "menu/listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "menu/menu_session.h"
#include "platform/text.h"
#include "support/outcome.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

const std::string kUp = std::string(28, ' ') + ".." + std::string(49, ' ');

// Slots 1 to n of a listing table.
std::vector<std::string> slots(const std::vector<std::string>& table, int n) {
    return {table.begin() + 1, table.begin() + 1 + n};
}

std::string folder_text(const std::string& name) {
    return text::left(std::string(10, ' ') + name + std::string(69, ' '), 79);
}

class Listing : public ::testing::Test {
  protected:
    RoutineHarness h;
    Context& program = h.program;
    MenuSession session{program, {}, {}};
    ListingState& listing = session.listing;

    void folder(const std::string& relative) const { h.sandbox.make_folder('C', relative); }
    void enter(const std::string& name) {
        program.paths.set_current_drive('C');
        program.change_folder(name);
    }
};

TEST_F(Listing, UpEntryLeadsAndSubfoldersFollowInByteOrderOfTheirCapitals) {
    for (const char* name : {"T/beta", "T/Alpha", "T/.hid", "T/gamma b", "T/gamma"})
        folder(name);
    h.sandbox.write_file('C', "T/afile");
    enter("C:\\T");
    h.console.type("abc");
    build_listing(session);
    EXPECT_EQ(slots(listing.display, 7),
              (std::vector<std::string>{kUp, folder_text(".HID"), folder_text("ALPHA"),
                                        folder_text("BETA"), folder_text("GAMMA"),
                                        folder_text("GAMMA B"), ""}));
    EXPECT_EQ(listing.entry[1], "C:\\T\\..");
    EXPECT_EQ(listing.entry[3], "C:\\T\\ALPHA");
    EXPECT_EQ(listing.listed_folder, "C:\\T\\");
    EXPECT_EQ(program.current_folder(), "C:\\T");
    // Keys typed during a slow listing must not act on the new screen.
    EXPECT_EQ(h.console.pending_events(), 0);
}

// A folder the user may not read is a folder, but it cannot be entered: it is not listed.
TEST_F(Listing, FoldersThatCannotBeOpenedAreNotListed) {
    folder("T/LOCKED");
    folder("T/OPEN");
    enter("C:\\T");
    const int listed = exit_code_in_child([&] {
        // Root opens everything, so the listing runs as an ordinary user.
        if (::chmod(h.sandbox.root().c_str(), 0755) != 0 ||
            ::chmod(h.sandbox.host('C', "T/LOCKED").c_str(), 0) != 0 || ::setgid(65534) != 0 ||
            ::setuid(65534) != 0)
            return 100;
        build_listing(session);
        return listing.display[2] == folder_text("OPEN") && listing.display[3].empty() ? 0 : 1;
    });
    EXPECT_EQ(listed, 0);
}

// The no-more-folders line is checked on the menu screen (browser and menu tests).
TEST_F(Listing, ThousandsOfFilesDoNotCrowdOutSubfolders) {
    for (int i = 0; i < 2000; ++i)
        h.sandbox.write_file('C', "T/f" + std::to_string(i));
    folder("T/zz");
    enter("C:\\T");
    build_listing(session);
    EXPECT_EQ(slots(listing.display, 3), (std::vector<std::string>{kUp, folder_text("ZZ"), ""}));
}

}  // namespace
}  // namespace kehrwix::testing
