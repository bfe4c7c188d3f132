#pragma once
// errno values translated into the Windows system error code Windows reports in the same
// situation, so the user sees the same error numbers on every platform.

#include <string_view>

#include "platform/windows_codes.h"

namespace kehrwix::posix {

// The Windows error codes the back end raises directly.
inline constexpr unsigned long kWinFileNotFound = win_code::kFileNotFound;
inline constexpr unsigned long kWinPathNotFound = win_code::kPathNotFound;
inline constexpr unsigned long kWinAccessDenied = win_code::kAccessDenied;
inline constexpr unsigned long kWinNotReady = win_code::kNotReady;
inline constexpr unsigned long kWinInvalidName = win_code::kInvalidName;
inline constexpr unsigned long kWinAlreadyExists = win_code::kAlreadyExists;
inline constexpr unsigned long kWinNotADirectory = win_code::kNotADirectory;

unsigned long windows_code_for_errno(int error);

// Throws the RunError for `error`; the message names the context and the host's own text.
[[noreturn]] void throw_errno(int error, std::string_view context);

}  // namespace kehrwix::posix
