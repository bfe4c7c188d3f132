#pragma once
// A seam for tests to make a chosen file-system call fail, as a full disk, a bad sector or a
// busy file would. The back end asks at each entry point and before each write (a failing write
// lands half its bytes first); in a real run the hook is null and each ask is one pointer test.

#include <string_view>

namespace kehrwix::fs {

// Gets the operation's name ("locate", "list", "open_child", "entries", "clear_attributes",
// "delete", "remove_folder", "open_own", "write", "rename") and returns the errno value it is to
// fail with, or 0. A test may also act at that moment (replant a file, say) and return 0.
using FaultHook = int (*)(std::string_view operation);
inline FaultHook fault_hook = nullptr;

inline int injected_fault(std::string_view operation) {
    return fault_hook == nullptr ? 0 : fault_hook(operation);
}

}  // namespace kehrwix::fs
