#pragma once
// Small helpers shared by the Windows back end: owned handles and wide names.

#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/wide_text.h"

namespace kehrwix::win32 {

// Closes the handle it owns; INVALID_HANDLE_VALUE and NULL both mean "none".
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }

    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    void reset() {
        if (valid())
            CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

  private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

inline std::wstring wide(std::string_view utf8) {
    const std::u16string s = to_utf16(utf8);
    return std::wstring(s.begin(), s.end());
}

inline std::string narrow(std::wstring_view s) {
    return to_utf8(std::u16string(s.begin(), s.end()));
}

// The "\\?\" form of a canonical path. A name that is not an absolute drive path fails as
// Windows fails for a malformed name.
std::wstring wide_path(std::string_view canonical);

// The canonical form of a name the system reports ("\\?\C:\x" or "C:\x"); "" when it has no
// drive letter.
std::string canonical_from_system(std::wstring_view name);

// Writes everything at the handle's position, in pieces a single call accepts; returns 0 or
// the system error code.
inline DWORD write_all(HANDLE h, std::string_view bytes) {
    constexpr DWORD kPiece = 1u << 20;
    while (!bytes.empty()) {
        const DWORD wanted = bytes.size() > kPiece ? kPiece : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), wanted, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;
        bytes.remove_prefix(written);
    }
    return 0;
}

}  // namespace kehrwix::win32
