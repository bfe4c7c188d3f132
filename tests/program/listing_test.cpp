// The folder listing as the menu screen and the cleaning run see it.

#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "run/program.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

const std::string kUp = std::string(28, ' ') + ".." + std::string(49, ' ');

std::string folder_text(const std::string& name) {
    return text::left(std::string(10, ' ') + name + std::string(69, ' '), 79);
}

class Listing : public ::testing::Test {
  protected:
    ProgramHarness h;
    Services services{h.console,   h.clock,        h.launcher,       h.environment,
                      h.arguments, h.start_folder, h.standard_output};
    Program program{services};
    ListingState& listing = program.listing;

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
    build_listing(program);

    const std::vector<std::string> expected{kUp,
                                            folder_text(".HID"),
                                            folder_text("ALPHA"),
                                            folder_text("BETA"),
                                            folder_text("GAMMA"),
                                            folder_text("GAMMA B"),
                                            ""};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(listing.display[i + 1], expected[i]) << "slot " << i + 1;
    }
    EXPECT_EQ(listing.entry[1], "C:\\T\\..");
    EXPECT_EQ(listing.entry[3], "C:\\T\\ALPHA");
    EXPECT_EQ(listing.entry[7], "");
    EXPECT_EQ(listing.listed_folder, "C:\\T\\");
    EXPECT_EQ(listing.shown_path, "C:\\T\\");
}

TEST_F(Listing, SubListModeGivesBareNamesAndIgnoresTheDriveList) {
    folder("T/b");
    folder("T/a");
    enter("C:\\T");
    listing.sublist_mode = 1;
    listing.drive_list_mode = 1;
    h.console.type("abc");
    build_listing(program);
    EXPECT_EQ(listing.entry[1], "C:\\T\\..");
    EXPECT_EQ(listing.entry[2], "A");
    EXPECT_EQ(listing.entry[3], "B");
    EXPECT_EQ(listing.entry[4], "");
    EXPECT_EQ(program.current_folder(), "C:\\T");
    EXPECT_EQ(h.console.pending_events(), 0);  // queued keys are discarded
}

TEST_F(Listing, RootHasNoUpEntryAndAFolderWithoutSubfoldersSaysSo) {
    folder("T");
    h.sandbox.write_file('C', "T/only-a-file");
    enter("C:\\");
    build_listing(program);
    EXPECT_EQ(listing.display[1], folder_text("T"));
    EXPECT_EQ(listing.entry[1], "C:\\T");
    EXPECT_EQ(listing.display[2], "");
    EXPECT_EQ(listing.listed_folder, "C:\\");

    enter("C:\\T");
    build_listing(program);
    EXPECT_EQ(listing.display[1], kUp);
    EXPECT_EQ(listing.entry[1], "..");
    EXPECT_EQ(listing.display[2], "        keine weiteren verzeichnisse ");
    EXPECT_EQ(listing.entry[2], "..");
    EXPECT_EQ(listing.display[3], "");
}

TEST_F(Listing, ThousandsOfFilesDoNotCrowdOutSubfolders) {
    for (int i = 0; i < 2000; ++i)
        h.sandbox.write_file('C', "T/f" + std::to_string(i));
    folder("T/zz");
    enter("C:\\T");
    build_listing(program);
    EXPECT_EQ(listing.display[2], folder_text("ZZ"));
    EXPECT_EQ(listing.display[3], "");
}

TEST_F(Listing, DriveListShowsAllLettersAndAVanishedFolderFails) {
    folder("T");
    enter("C:\\T");
    listing.drive_list_mode = 1;
    build_listing(program);
    EXPECT_EQ(listing.display[1], "\xFE     A:" + std::string(71, ' '));
    EXPECT_EQ(listing.entry[26], "Z:");
    EXPECT_EQ(listing.display[27], "");

    listing.drive_list_mode = 0;
    std::filesystem::remove(h.sandbox.host('C', "T"));
    EXPECT_THROW(build_listing(program), FolderChangeFailed);
}

}  // namespace
}  // namespace kehrwix::testing
