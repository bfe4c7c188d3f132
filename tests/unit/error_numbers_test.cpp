// The error numbers the user sees: from Windows codes, and from host failures via the Windows code
// Windows would give in the same situation.

#include <gtest/gtest.h>

#include <cerrno>
#include <utility>

#include "platform/error.h"
#include "platform/posix/errno_map.h"
#include "support/outcome.h"

namespace kehrwix {
namespace {

TEST(ErrorNumbers, WindowsCodesMapToShownNumbers) {
    // {Windows code, number shown}
    const std::pair<unsigned long, int> cases[] = {
        {0, 75},   {1, 75},   {2, 53},   {3, 76},   {4, 67},
        {5, 70},   {6, 51},   {7, 241},  {8, 7},    {9, 241},
        {10, 241}, {11, 51},  {12, 51},  {13, 51},  {14, 7},
        {15, 68},  {16, 75},  {17, 74},  {18, 53},  {19, 70},
        {20, 68},  {21, 71},  {22, 51},  {23, 72},  {24, 51},
        {25, 72},  {26, 72},  {27, 72},  {28, 72},  {29, 72},
        {30, 72},  {31, 72},  {32, 70},  {33, 70},  {34, 72},
        {35, 72},  {36, 70},  {37, 75},  {38, 62},  {39, 61},
        {40, 75},  {86, 75},  {87, 5},   {88, 75},  {111, 75},
        {112, 61}, {113, 75}, {123, 75}, {206, 75}, {0xFFFFFFFFul, 75},
    };
    for (const auto& [code, shown] : cases)
        EXPECT_EQ(error_number_for_windows_code(code), shown) << "code " << code;
}

TEST(ErrorNumbers, HostFailuresShowTheNumbersWindowsWouldShow) {
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
