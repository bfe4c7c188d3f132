#pragma once
// Run-time failures carry the error number the user sees on screen ("Fehler 53").

#include <stdexcept>
#include <string>
#include <string_view>

namespace kehrwix {

// Error numbers the program raises itself.
inline constexpr int kErrorSubscriptOutOfRange = 9;
inline constexpr int kErrorFileNotFound = 53;
inline constexpr int kErrorPathNotFound = 76;
inline constexpr int kErrorPermissionDenied = 70;
inline constexpr int kErrorDeviceUnavailable = 68;
inline constexpr int kErrorBadFileName = 52;
inline constexpr int kErrorPathFileAccess = 75;

class RunError : public std::runtime_error {
  public:
    explicit RunError(int number, const std::string& what = "run-time error",
                      unsigned long windows_code = 0)
        : std::runtime_error(what), number_(number), windows_code_(windows_code) {}
    int number() const noexcept { return number_; }
    // The system's own reason where there was one (0 otherwise): several reasons share one
    // number, and the cleaning run tells a file in use from a locked one by it.
    unsigned long windows_code() const noexcept { return windows_code_; }

  private:
    int number_;
    unsigned long windows_code_;
};

// Maps a Windows system error code to the number shown to the user.
int error_number_for_windows_code(unsigned long windows_code);

// Throws the RunError that belongs to a Windows system error code.
[[noreturn]] void throw_windows_error(unsigned long windows_code, std::string_view context);

}  // namespace kehrwix
