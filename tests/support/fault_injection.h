#pragma once
// Makes the Nth file-system call of the back end fail with a chosen errno (or only counts the
// calls when N is 0). One at a time: the hook is process-wide.

#include <string_view>

#include "platform/fault_injection.h"

namespace kehrwix::testing {

class InjectedFault {
  public:
    InjectedFault(int nth, int error) {
        state() = {nth, error, 0};
        fs::fault_hook = &hook;
    }
    ~InjectedFault() { fs::fault_hook = nullptr; }
    InjectedFault(const InjectedFault&) = delete;
    InjectedFault& operator=(const InjectedFault&) = delete;

    int calls() const { return state().calls; }

  private:
    struct State {
        int nth;
        int error;
        int calls;
    };
    static State& state() {
        static State s{};
        return s;
    }
    static int hook(std::string_view) {
        State& s = state();
        return ++s.calls == s.nth ? s.error : 0;
    }
};

}  // namespace kehrwix::testing
