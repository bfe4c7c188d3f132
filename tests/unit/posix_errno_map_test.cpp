#include <gtest/gtest.h>

#include <cerrno>

#include "platform/posix/errno_map.h"
#include "support/outcome.h"

namespace kehrwix {
namespace {

// What the user finally sees for each host failure, via the Windows code in between.
TEST(PosixErrnoMap, HostFailuresShowTheNumbersWindowsWouldShow) {
    const struct {
        int error;
        unsigned long windows_code;
        int shown;
    } cases[] = {
        {ENOENT, 2, 53},      {ENOTDIR, 3, 76},  {EACCES, 5, 70},         {EPERM, 5, 70},
        {EISDIR, 5, 70},      {EROFS, 19, 70},   {EBUSY, 32, 70},         {ENOSPC, 112, 61},
        {EDQUOT, 112, 61},    {EMFILE, 4, 67},   {ENOMEM, 8, 7},          {EXDEV, 17, 74},
        {ENOTEMPTY, 145, 75}, {EEXIST, 183, 75}, {ENAMETOOLONG, 206, 75}, {ELOOP, 1921, 75},
        {ENOMEDIUM, 21, 71},  {EIO, 1117, 75},   {EPIPE, 1, 75},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(posix::windows_code_for_errno(c.error), c.windows_code) << "errno " << c.error;
        EXPECT_EQ(testing::error_number_of([&] { posix::throw_errno(c.error, "x"); }), c.shown)
            << "errno " << c.error;
    }
}

}  // namespace
}  // namespace kehrwix
