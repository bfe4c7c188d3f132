#pragma once
// Kernel features the back end uses when they are there. Without openat2 (kernels before 5.6)
// a name below an opened folder is resolved with O_NOFOLLOW, the device check and the refusal
// of "..", which must hold on their own. KEHRWIX_TEST_NO_OPENAT2=1 makes the back end act as
// on such a kernel, so tests of the real binary reach that path too; tests in-process switch it
// directly.

#include <cstdlib>

namespace kehrwix::posix {

inline bool openat2_usable = std::getenv("KEHRWIX_TEST_NO_OPENAT2") == nullptr;

}  // namespace kehrwix::posix
