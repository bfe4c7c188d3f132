#pragma once
// Makes the Nth file-system call of the back end fail with a chosen errno (or only counts the
// calls when N is 0). One at a time: the hook is process-wide.

#include <cerrno>
#include <string_view>

#include "platform/fault_injection.h"

namespace kehrwix::testing {

class InjectedFault {
  public:
    InjectedFault(int nth, int error) {
        nth_ = nth;
        error_ = error;
        calls_ = 0;
        fs::fault_hook = [](std::string_view) { return ++calls_ == nth_ ? error_ : 0; };
    }
    ~InjectedFault() { fs::fault_hook = nullptr; }
    InjectedFault(const InjectedFault&) = delete;
    InjectedFault& operator=(const InjectedFault&) = delete;
    int calls() const { return calls_; }

  private:
    static inline int nth_ = 0, error_ = 0, calls_ = 0;
};

// Every folder removal is refused once, as a read-only folder is, so that the attribute tool is
// asked for before the second try.
class RemovalsRefusedOnce {
  public:
    RemovalsRefusedOnce() {
        removals_ = 0;
        fs::fault_hook = [](std::string_view operation) {
            return operation == "remove_folder" && ++removals_ % 2 == 1 ? EACCES : 0;
        };
    }
    ~RemovalsRefusedOnce() { fs::fault_hook = nullptr; }
    RemovalsRefusedOnce(const RemovalsRefusedOnce&) = delete;
    RemovalsRefusedOnce& operator=(const RemovalsRefusedOnce&) = delete;

  private:
    static inline int removals_ = 0;
};

}  // namespace kehrwix::testing
