#pragma once
// Makes the Nth file-system call of the back end fail with a chosen errno (or only counts the
// calls when N is 0). One at a time: the hook is process-wide.

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

}  // namespace kehrwix::testing
