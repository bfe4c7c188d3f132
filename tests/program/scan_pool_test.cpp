// Reading a drive ahead on several threads must hand out exactly the records of one thread's
// depth-first walk; the scan's folder handle lists subfolders only and never follows a link.

#include "discovery/scan_pool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "discovery/folder_record.h"
#include "discovery/held_folders.h"
#include "discovery/subtree_read_ahead.h"
#include "platform/error.h"
#include "platform/scan_folder.h"
#include "support/sandbox.h"

namespace kehrwix::testing {
namespace {

std::string describe(const FolderRecord& r) {
    std::string text = r.folder + " state=" + std::to_string(static_cast<int>(r.state)) +
                       " entries=" + std::to_string(r.entries);
    for (const ScanEvent& e : r.events) {
        text += " [" + std::to_string(e.kind) + "@" + std::to_string(e.at) + " " + e.path + "]";
    }
    return text;
}

// What an ESC leaves: the folders still pending, the next one last.
std::string describe(const std::vector<std::string>& pending) {
    std::string text = "pending:";
    for (const std::string& folder : pending)
        text += " " + folder;
    return text;
}

// The order a single thread produces: each folder's record, then its subtree, children in
// listing order; stopped early, the folders left pending.
std::vector<std::string> single_walk(const FolderReader& reader, const std::string& root,
                                     std::size_t stop_after = SIZE_MAX) {
    std::vector<std::string> out;
    std::vector<std::string> pending{root};
    while (!pending.empty() && out.size() != stop_after) {
        const FolderRecord r = reader.read(pending.back(), nullptr, nullptr);
        pending.pop_back();
        out.push_back(describe(r));
        for (auto it = r.events.rbegin(); it != r.events.rend(); ++it) {
            if (it->kind == ScanEvent::child || it->kind == ScanEvent::hit_and_child)
                pending.push_back(it->path);
        }
    }
    if (!pending.empty())
        out.push_back(describe(pending));
    return out;
}

std::vector<std::string> pooled_walk(ScanPool& pool, const std::string& root, bool slow_start) {
    std::vector<std::string> out;
    pool.start(root);
    while (std::optional<FolderRecord> r = pool.next()) {
        out.push_back(describe(*r));
        // A reader that lags lets the read-ahead fill up, so segments park and split.
        if (slow_start && out.size() == 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return out;
}

// The scan's loop with a helper reading subtrees ahead: each folder's record comes from the
// helper where it has it, else is read here, and after each folder another pending folder may
// be claimed (any one but the next: which one is a matter of speed, not of order).
std::vector<std::string> helped_walk(const FolderReader& reader, const std::string& root,
                                     unsigned seed, std::size_t stop_after = SIZE_MAX) {
    std::mt19937 rng(seed);
    SubtreeReadAhead ahead(reader);
    HeldFolders held(reader);
    std::vector<std::string> out;
    std::vector<std::string> pending{root};
    while (!pending.empty() && out.size() != stop_after) {
        std::string folder = std::move(pending.back());
        pending.pop_back();
        std::optional<FolderRecord> r = ahead.take(folder);
        EXPECT_FALSE(ahead.out_of_step());
        if (!r)
            r = held.read(folder);
        out.push_back(describe(*r));
        for (auto it = r->events.rbegin(); it != r->events.rend(); ++it) {
            if (it->kind == ScanEvent::child || it->kind == ScanEvent::hit_and_child)
                pending.push_back(it->path);
        }
        if (rng() % 8 == 0)  // a scan that lags: the helper gets ahead, and claims wait
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        if (ahead.wants_claim() && pending.size() >= 2) {
            const std::string& pick = pending[rng() % (pending.size() - 1)];
            if (!ahead.claimed(pick)) {
                const std::string parent = pick.substr(0, pick.rfind('\\', pick.size() - 2) + 1);
                ahead.claim(pick, rng() % 2 ? held.handle_of(parent) : nullptr);
            }
        }
    }
    if (!pending.empty())
        out.push_back(describe(pending));
    return out;
}

class ScanPoolTest : public ::testing::Test {
  protected:
    // A few thousand folders of uneven fan-out and depth, with hits, files and links.
    void grow_tree() {
        std::mt19937 rng(12345);
        std::vector<std::string> folders{""};
        const char* names[] = {"Temp", "cache", "x", "Daten", "TMP", "sub", "Recent", "a b"};
        for (int i = 1; i < 2000; ++i) {
            const std::string& parent =
                folders[rng() % 3 == 0 ? folders.size() - 1 : rng() % folders.size()];
            if (std::count(parent.begin(), parent.end(), '/') > 14)
                continue;
            std::string path = names[rng() % 8] + std::to_string(rng() % 4 ? i : 0);
            if (!parent.empty())
                path = parent + "/" + path;
            if (!std::filesystem::exists(sandbox.host('C', path)))
                folders.push_back(path);
            sandbox.make_folder('C', path);
            if (rng() % 5 == 0)
                sandbox.write_file('C', path + "/f.txt");
        }
        sandbox.make_folder('C', "R/.hidden/TEMP");
        // Names a path cannot hold, long and accented ones, and a folder whose subfolders
        // come after more than a hundred files: the read-ahead's records keep them all.
        sandbox.make_folder('C', "R/a:b/TEMP");
        sandbox.make_folder('C', "R/" + std::string(200, 'n') + "/Temp");
        sandbox.make_folder('C', "R/\xc3\xa4rger/CACHE");
        for (int i = 0; i < 300; ++i)
            sandbox.write_file('C', "W/f" + std::to_string(i));
        sandbox.make_folder('C', "W/zz/tmp0");
        std::filesystem::create_directory_symlink("..", sandbox.host('C', "R/loop"));
        std::filesystem::create_directory_symlink("../R", sandbox.host('C', "R/TEMP"));
    }

    Sandbox sandbox{"C"};
    std::vector<std::string> criteria{"", "\\TEMP\\", "\\CACHE\\", "\\TMP0\\"};
};

TEST_F(ScanPoolTest, EveryThreadCountHandsOutTheSingleWalkOrder) {
    grow_tree();
    const FolderReader reader(criteria, nullptr);
    const std::vector<std::string> expected = single_walk(reader, "C:\\");
    ASSERT_GT(expected.size(), 1200u);
    for (unsigned threads : {2u, 5u}) {
        ScanPool pool(reader, threads);
        EXPECT_EQ(pooled_walk(pool, "C:\\", threads == 5), expected) << threads << " threads";
        // A second walk on the same pool, as the next drive's root would start it.
        EXPECT_EQ(pooled_walk(pool, "C:\\R\\", false), single_walk(reader, "C:\\R\\"));
    }
    {
        // Dropped mid-walk, as ESC does: the threads stop without the rest being taken.
        ScanPool pool(reader, 3);
        pool.start("C:\\");
        ASSERT_TRUE(pool.next().has_value());
    }
}

TEST_F(ScanPoolTest, SubtreesReadAheadReplayAsTheSingleWalk) {
    grow_tree();
    const FolderReader reader(criteria, nullptr);
    const std::vector<std::string> expected = single_walk(reader, "C:\\");
    for (unsigned seed : {1u, 2u, 3u})
        EXPECT_EQ(helped_walk(reader, "C:\\", seed), expected) << "seed " << seed;
    // Dropped mid-walk, as ESC does, with claims read, half read and waiting: the same folders
    // listed and left pending.
    for (std::size_t stop : {300u, 1100u})
        EXPECT_EQ(helped_walk(reader, "C:\\", 4, stop), single_walk(reader, "C:\\", stop)) << stop;
}

class SkipFolders : public ScanExclusions {
  public:
    bool may_report(std::string_view folder) const override { return folder != "C:\\A\\TEMP\\"; }
    bool may_enter(std::string_view folder) const override { return folder != "C:\\A\\TMP0\\"; }
};

TEST_F(ScanPoolTest, ReaderJudgesSubfoldersAndAsksTheExclusions) {
    sandbox.make_folder('C', "A/TEMP/inner");
    sandbox.make_folder('C', "A/TMP0/inner");
    sandbox.make_folder('C', "A/Cache");
    sandbox.make_folder('C', "A/.Temp");
    sandbox.write_file('C', "A/file");
    std::filesystem::create_directory_symlink("TEMP", sandbox.host('C', "A/link"));
    const SkipFolders skip;
    const FolderReader reader(criteria, &skip);

    FolderHandle handle;
    const FolderRecord r = reader.read("C:\\A\\", nullptr, &handle);
    ASSERT_TRUE(handle);
    EXPECT_EQ(r.state, FolderState::listed);
    EXPECT_EQ(r.entries, 6u);  // files, links and dot-folders count as entries
    std::vector<std::pair<int, std::string>> events;
    for (const ScanEvent& e : r.events)
        events.emplace_back(e.kind, e.path);
    std::sort(events.begin(), events.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    const std::vector<std::pair<int, std::string>> expected{
        {ScanEvent::hit_and_child, "C:\\A\\Cache\\"},
        {ScanEvent::child, "C:\\A\\TEMP\\"},  // not reported
        {ScanEvent::hit, "C:\\A\\TMP0\\"},    // reported, not entered
    };
    EXPECT_EQ(events, expected);

    // Below the handle: a folder opens, a link does not, and a gone one counts as unreadable.
    EXPECT_EQ(reader.read("C:\\A\\Cache\\", handle.get(), nullptr).state, FolderState::listed);
    EXPECT_EQ(reader.read("C:\\A\\link\\", handle.get(), nullptr).state, FolderState::unreadable);
    EXPECT_EQ(reader.read("C:\\A\\gone\\", handle.get(), nullptr).state, FolderState::unreadable);
    EXPECT_THROW(handle->open_child(".."), RunError);

    // A listing longer than one read of the file system's entries is read to its end.
    for (int i = 0; i < 700; ++i)
        sandbox.write_file('C', "B/" + std::to_string(i) + std::string(100, 'f'));
    sandbox.make_folder('C', "B/Temp");
    const FolderRecord big = reader.read("C:\\B\\", nullptr, nullptr);
    EXPECT_EQ(big.entries, 701u);
    ASSERT_EQ(big.events.size(), 1u);
    EXPECT_EQ(big.events[0].path, "C:\\B\\Temp\\");
}

}  // namespace
}  // namespace kehrwix::testing
