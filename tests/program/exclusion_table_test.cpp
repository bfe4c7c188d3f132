// The exclusion table, and drives laid out like real machines: a Linux host, a developer's home
// and a Windows machine. Only the real temp and cache folders are found and emptied; software,
// system state, package and working trees, documents and profiles stay. Names are taken from
// the table, so a name added there is tested here too.

#include "rules/exclusion_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "pathlist/path_list.h"
#include "run_harnesses.h"

namespace kehrwix::testing {
namespace {

using Strings = std::vector<std::string>;

bool holds(const Strings& list, const std::string& entry) {
    return std::find(list.begin(), list.end(), entry) != list.end();
}

TEST(ExclusionTable, WindowsFoldersComeFromTheEnvironment) {
    HostSystem host;
    host.windows = true;
    host.environment = {"programfiles=C:\\Program Files\\", "ProgramFiles(x86)=C:\\Programme (x86)",
                        "ProgramW6432=relative\\ignored",   "ProgramData=C:\\ProgramData",
                        "ALLUSERSPROFILE=C:\\ProgramData",  "SystemRoot=D:\\WINNT",
                        "USERPROFILE=C:\\Users\\Jörg",      "LOCALAPPDATA=E:\\Profile\\Local",
                        "OneDrive=D:\\Cloud\\OneDrive"};
    host.known_folders = {"D:\\Daten\\Dokumente\\", "relative"};
    const ExclusionTable table = exclusion_table(host);
    Strings expected{"C:\\Program Files",
                     "C:\\Programme (x86)",
                     "C:\\ProgramData",
                     "D:\\WINNT\\WinSxS",
                     "C:\\Users\\*\\AppData\\Local\\Programs",
                     "E:\\Profile\\Local\\Programs"};
    for (const std::string& name : table.document_folder_names)
        expected.push_back("C:\\Users\\*\\" + name);
    expected.insert(expected.end(), {"D:\\Cloud\\OneDrive", "D:\\Daten\\Dokumente"});
    EXPECT_EQ(table.trees, expected);
    EXPECT_EQ(table.profile_folders, (Strings{"C:\\Users", "C:\\Users\\*", "C:\\Users\\Jörg"}));
    EXPECT_TRUE(table.shared_temp_folders.empty());

    host.environment = {"PUBLIC=C:\\Users\\Public"};  // no profile of its own: the public one's
    host.known_folders.clear();
    EXPECT_EQ(exclusion_table(host).trees.front(), "C:\\Users\\*\\AppData\\Local\\Programs");
    EXPECT_EQ(exclusion_table(host).profile_folders, (Strings{"C:\\Users", "C:\\Users\\*"}));
}

TEST(ExclusionTable, HomesComeFromHomeAndThePasswordDatabaseWithTheirUserFolders) {
    HostSystem host;
    host.root = "/sb/";
    host.environment = {"HOME=/home/u/"};
    host.passwd =
        "root:x:0:0:root:/root:/bin/bash\n"
        "man:x:6:12:man:/var/cache/man:/usr/sbin/nologin\n"
        "#c:x:1:1::/commented:\n"
        "broken\n"
        "d:x:2:2::relative:/bin/sh\n"
        "r:x:3:3::/:/bin/sh\n"
        "u:x:1000:1000:U:/home/u:/bin/bash\n"
        "n:x:65534:65534::/nonexistent";
    EXPECT_EQ(posix_homes(host),
              (Strings{"/sb/home/u", "/sb/root", "/sb/var/cache/man", "/sb/nonexistent"}));

    host.user_dirs = {{"/sb/home/u",
                       "# written by xdg-user-dirs-update\n"
                       "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n"
                       "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch/\"\n"
                       "XDG_DOWNLOAD_DIR=\"$HOME/\"\n"
                       "XDG_TEMPLATES_DIR=\"$HOME/.\"\n"
                       "XDG_MUSIC_DIR=\"/data/Musik\"\n"
                       "XDG_VIDEOS_DIR=\"$HOME/../v\"\n"
                       "XDG_PUBLICSHARE_DIR=relative\n"}};
    EXPECT_EQ(user_dirs_folders(host.user_dirs.front().second),
              (Strings{"Dokumente", "Schreibtisch", "/data/Musik"}));
    const ExclusionTable table = exclusion_table(host);
    for (const char* tree : {"/sb/home/u/Dokumente", "/sb/home/u/Schreibtisch", "/sb/data/Musik",
                             "/sb/home/u/Documents", "/sb/root/Pictures", "/sb/usr"}) {
        EXPECT_TRUE(holds(table.trees, tree)) << tree;
    }
    EXPECT_FALSE(holds(table.trees, "/sb/home/u"));
    EXPECT_EQ(table.profile_folders, (Strings{"/sb/home", "/sb/home/*", "/sb/home/u", "/sb/root",
                                              "/sb/var/cache/man", "/sb/nonexistent"}));
}

TEST(ExclusionTable, PatternsMatchAnyRunAndAnyCase) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"lib*", "lib", true},
        {"lib*", "LIBX32", true},
        {"lib*", "glib", false},
        {".X*-lock", ".x1024-LOCK", true},
        {".X*-lock", ".X0-lock~", false},
        {"systemd-private-*", "systemd-private-1a-x", true},
        {"OneDrive*", "OneDrive - Acme", true},
        {"Jörg", "JÖRG", true}};
    for (const auto& [pattern, name, matches] : cases)
        EXPECT_EQ(name_matches(pattern, name), matches) << pattern << " " << name;
}

// Drives laid out like real machines (C: is the host's "/").
using Lines = std::vector<std::string>;

class Machine : public ::testing::Test {
  protected:
    explicit Machine(const std::string& drives = "C") : h(drives) {
        h.system_root = h.sandbox.drive('C').string();
    }
    void files(const Strings& names) const {
        for (const std::string& name : names)
            h.file(name);
    }
    void expect_all(const Strings& names) const {
        for (const std::string& name : names)
            EXPECT_TRUE(h.exists(name)) << name;
    }
    Lines first_run() {
        h.sandbox.write_file('C', "KEHRWIX.INI", "");
        h.run();
        Lines lines = split_lines(h.sandbox.read_file('C', "KEHRWIX.INI"));
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    CleaningHarness h;
};

// Installed software, system state and package trees, with cache and temp folders inside.
class RealMachine : public Machine {
  protected:
    RealMachine() {
        files(system_files());
        files({"var/cache/apt/archives/old.deb", "tmp/junk.tmp", "var/tmp/junk",
               "home/u/Temp/x.tmp"});
        // A package tree inside a temp folder is temp data.
        for (const std::string& name : exclusion_table(HostSystem{}).package_tree_names)
            h.file("tmp/installer/" + name + "/pkg/index.js");
    }
    static Strings system_files() {
        Strings names = {
            "usr/lib/postgresql/15/lib/bitcode/postgres/utils/cache/a.bc",
            "var/lib/ucf/cache/:etc:default:grub",
            "opt/sdk/lib/python/cache/c.py",
            "lib64/cache/ld.so.cache",
            "var/cache/debconf/config.dat",
            "tmp/systemd-private-1f-chrony.service-x/tmp/state",
            "tmp/.X11-unix/X0",
            "tmp/.X0-lock",
        };
        for (const std::string& name : exclusion_table(HostSystem{}).package_tree_names)
            names.push_back("home/u/proj/" + name + "/lib/web/cache/index.js");
        return names;
    }
};

TEST_F(RealMachine, TheFirstRunFindsOnlyTheRealTempFolders) {
    EXPECT_EQ(first_run(), (Lines{"*C:\\home\\u\\Temp\\", "*C:\\tmp\\", "*C:\\var\\cache\\",
                                  "*C:\\var\\tmp\\"}));
    expect_all(system_files());
}

TEST_F(RealMachine, StoredLinesInsideTheTreesAreSkippedAndTreesBelowListedFoldersStayWhole) {
    // Lines an earlier version stored, in any spelling, beside the real ones.
    Lines lines = {"*C:\\usr\\lib\\postgresql\\15\\lib\\bitcode\\postgres\\utils\\cache",
                   "*C:\\VAR\\LIB\\ucf\\cache\\", "*C:\\opt\\sdk\\lib\\python\\cache",
                   "*C:\\lib64\\cache", "*C:\\var\\cache\\debconf"};
    for (const std::string& name : exclusion_table(HostSystem{}).package_tree_names)
        lines.push_back("*C:\\home\\u\\proj\\" + text::upper(name) + "\\lib\\web\\cache");
    lines.insert(lines.end(),
                 {"*C:\\var\\cache", "*C:\\tmp", " C:\\var\\tmp", "*C:\\home\\u\\Temp"});
    h.clean(lines);
    expect_all(system_files());
    for (const char* gone : {"var/cache/apt", "tmp/junk.tmp", "tmp/installer", "var/tmp/junk"})
        EXPECT_FALSE(h.exists(gone)) << gone;
    EXPECT_TRUE(h.empty_folder("home/u/Temp"));
    // The skipped lines were never shown; the last one was.
    EXPECT_EQ(h.row(3), "  cleaning  C:\\home\\u\\Temp  mit Sub-dir.");
}

// A developer's Linux home: working trees whose packages are named cache, temp and tmp, user
// folders by their default names and as a German desktop names them, a second user's home.
class DeveloperHome : public Machine {
  protected:
    DeveloperHome() {
        h.environment.push_back("HOME=/home/u");
        h.sandbox.write_file('C', "etc/passwd",
                             "root:x:0:0:root:/root:/bin/bash\n"
                             "anna:x:1001:1001::/srv2/anna:/bin/bash\n");
        h.sandbox.write_file('C', "home/u/.config/user-dirs.dirs",
                             "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
        files(kept());
        h.sandbox.write_file('C', "home/u/work/lib/.git", "gitdir: ../.git/modules/lib\n");
        files({"home/u/Temp/x.tmp", "home/u/.cache/thumbnails/t.png", "tmp/junk.tmp"});
    }
    static Strings kept() {
        return {"home/u/work/shop/.git/HEAD",
                "home/u/work/shop/app/cache/__init__.py",
                "home/u/work/shop/internal/temp/render.go",
                "home/u/work/lib/src/cache/mod.rs",
                "home/u/notes/.hg/store/data",
                "home/u/notes/tmp/draft.md",
                "home/u/old/.svn/entries",
                "home/u/old/com/acme/cache/A.java",
                "home/u/src/cache/.git/HEAD",  // a working tree named like a temp folder
                "home/u/src/cache/main.c",
                "home/u/Dokumente/Thesis/Temp/chapter3.tex",
                "home/u/Documents/Game/cache/save.dat",
                "home/u/Desktop/tmp/todo.txt",
                "root/Downloads/temp/image.iso",
                "srv2/anna/Pictures/cache/holiday.jpg"};
    }
};

TEST_F(DeveloperHome, OnlyTheRealTempFoldersAreFoundAndProtectedLinesAreSkipped) {
    EXPECT_EQ(first_run(), (Lines{"*C:\\home\\u\\Temp\\", "*C:\\tmp\\"}));
    std::filesystem::create_directory_symlink("home/u", h.host("me"));  // the user's own link

    h.clean({"*C:\\home\\u\\Dokumente\\Thesis\\Temp", "*C:\\home\\u\\Documents",
             " C:\\home\\u\\Desktop\\tmp", "*C:\\root\\Downloads\\temp",
             "*C:\\srv2\\anna\\Pictures", "*C:\\home", " C:\\home\\u\\", "*C:\\HOME\\U\\.",
             "*C:\\root", "*C:\\srv2\\anna", "*C:\\me", "*C:\\home\\u\\Temp"});
    expect_all(kept());
    EXPECT_TRUE(h.exists("home/u/.cache/thumbnails/t.png"));
    EXPECT_TRUE(h.empty_folder("home/u/Temp"));
    EXPECT_EQ(h.row(3), "  cleaning  C:\\home\\u\\Temp  mit Sub-dir.");

    // A folder inside a working tree that the user listed is the user's choice.
    h.clean({"*C:\\home\\u\\work\\shop\\internal\\temp"});
    EXPECT_TRUE(h.empty_folder("home/u/work/shop/internal/temp"));
}

// A Windows machine on drives C: and D:, its folders named by the environment as Windows does.
class WindowsMachine : public Machine {
  protected:
    WindowsMachine() : Machine("CD") {
        h.environment.insert(h.environment.end(),
                             {"USERPROFILE=C:\\Users\\victim", "ProgramData=C:\\ProgramData"});
        files(kept());
        h.sandbox.write_file('D', "Backup/Users/victim/Documents/Temp/important.doc", "x");
        files({"Users/victim/AppData/Local/Temp/junk.tmp", "Users/other/AppData/Local/Temp/j"});
    }
    static Strings kept() {
        return {"ProgramData/Acme/License/Cache/license.lic",
                "Users/victim/Documents/Thesis/Temp/chapter3-draft.docx",
                "Users/victim/Documents/Game/cache/savegame.dat",
                "Users/victim/OneDrive - Acme/Temp/report.xlsx",
                "Users/other/Desktop/Temp/x.doc",
                "Users/other/Downloads/tmp/setup.exe",
                "Users/TEMP/ntuser.dat"};  // a temporary profile Windows made
    }
};

TEST_F(WindowsMachine, OnlyTheRealTempFoldersAreFoundAndProtectedLinesAreSkipped) {
    EXPECT_EQ(first_run(), (Lines{"*C:\\Users\\other\\AppData\\Local\\Temp\\",
                                  "*C:\\Users\\victim\\AppData\\Local\\Temp\\"}));

    h.clean({"*C:\\ProgramData\\Acme\\License\\Cache", "*C:\\Users\\victim\\Documents\\Game",
             "*C:\\users\\victim\\onedrive - acme\\Temp", " C:\\Users\\other\\Desktop\\Temp",
             "*C:\\Users\\other\\Downloads", "*D:\\Backup\\Users\\victim\\Documents\\Temp",
             "*C:\\Users", "*C:\\Users\\victim", " C:\\Users\\TEMP\\", "*C:\\Users\\victim\\..",
             "*C:\\Users\\victim\\AppData\\Local\\Temp"});
    expect_all(kept());
    EXPECT_TRUE(h.sandbox.exists('D', "Backup/Users/victim/Documents/Temp/important.doc"));
    EXPECT_TRUE(h.empty_folder("Users/victim/AppData/Local/Temp"));
    EXPECT_EQ(h.row(3), "  cleaning  C:\\Users\\victim\\AppData\\Local\\Temp  mit Sub-dir.");
}

}  // namespace
}  // namespace kehrwix::testing
