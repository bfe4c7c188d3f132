// The portable decisions of the folder rule: the ownership rule for links and the judgement of
// the folder a listed path reaches. (The exclusion table's tests are in
// tests/program/exclusion_table_test.cpp.)

#include <gtest/gtest.h>

#include "platform/listed_folder.h"

namespace kehrwix {
namespace {

TEST(LinkRule, AnUnprivilegedOwnerLeadsOnlyToTheirOwnFolders) {
    const fs::Owner root{"uid:0", true}, alice{"uid:1000", false}, mallory{"uid:1001", false};
    // A user's own link, in their own folder, to their own folder elsewhere.
    EXPECT_TRUE(fs::link_may_be_followed(alice, alice, alice));
    // The classic attack: mallory's link from mallory's folder to a system folder.
    EXPECT_FALSE(fs::link_may_be_followed(mallory, mallory, root));
    EXPECT_FALSE(fs::link_may_be_followed(mallory, mallory, alice));
    // A link in a shared folder, planted by one user, leading to another's folder.
    EXPECT_FALSE(fs::link_may_be_followed(root, mallory, alice));
    EXPECT_FALSE(fs::link_may_be_followed(root, mallory, root));
    EXPECT_TRUE(fs::link_may_be_followed(root, mallory, mallory));
    // The system's own links, and links an administrator made for a user.
    EXPECT_TRUE(fs::link_may_be_followed(root, root, alice));
    EXPECT_TRUE(fs::link_may_be_followed(alice, root, alice));
    EXPECT_FALSE(fs::link_may_be_followed(alice, root, root));

    // Which system accounts count as privileged is the tool trust test's (windows_rules_test).
}

TEST(ListedJudgement, TheFolderReachedIsJudgedByIdentity) {
    const auto id = [](std::uint64_t n) { return fs::FileIdentity{1, 0, n}; };
    // Host tree: 1 "/" holds 2 "/srv", which holds the drive root 3 "/srv/c"; 3 holds 4 "tmp"
    // and 5 "WINDOWS"; 6 "/usr" is a protected tree holding 7.
    fs::ListedChecks checks;
    checks.drive_roots = {{id(3), id(2), id(1)}};
    checks.protected_folders = {id(5)};
    checks.protected_trees = {id(6)};
    checks.protected_tree_names = {"NODE_MODULES"};
    using R = fs::ListedRefusal;
    EXPECT_EQ(fs::judge_listed({id(4), id(3), id(2), id(1)}, "/srv/c/tmp", checks), R::none);
    EXPECT_EQ(fs::judge_listed({id(3), id(2), id(1)}, "/srv/c", checks), R::drive_root);
    EXPECT_EQ(fs::judge_listed({id(2), id(1)}, "/srv", checks), R::drive_root);
    EXPECT_EQ(fs::judge_listed({id(8), id(1)}, "/home", checks), R::outside_drives);
    EXPECT_EQ(fs::judge_listed({id(5), id(3), id(2), id(1)}, "/srv/c/x", checks),
              R::protected_folder);
    // Inside a protected tree: only reachable through a link, since the drive is elsewhere.
    checks.drive_roots.push_back({id(1)});
    EXPECT_EQ(fs::judge_listed({id(7), id(6), id(1)}, "/usr/x", checks), R::protected_folder);
    EXPECT_EQ(fs::judge_listed({id(9), id(4), id(3), id(2), id(1)},
                               "/srv/c/tmp/Node_Modules/x/cache", checks),
              R::protected_folder);
    EXPECT_EQ(fs::judge_listed({}, "", checks), R::unreachable);
}

}  // namespace
}  // namespace kehrwix
