#pragma once
// errno values translated into the Windows system error code Windows reports in the same
// situation, so the user sees the same error numbers on every platform.

#include <string_view>

namespace kehrwix::posix {

// Windows error codes the back end names directly.
inline constexpr unsigned long kWinFileNotFound = 2;
inline constexpr unsigned long kWinPathNotFound = 3;
inline constexpr unsigned long kWinAccessDenied = 5;
inline constexpr unsigned long kWinNotReady = 21;
inline constexpr unsigned long kWinInvalidName = 123;
inline constexpr unsigned long kWinAlreadyExists = 183;
inline constexpr unsigned long kWinNotADirectory = 267;

unsigned long windows_code_for_errno(int error);

// Throws the RunError for `error`; the message names the context and the host's own text.
[[noreturn]] void throw_errno(int error, std::string_view context);

}  // namespace kehrwix::posix
