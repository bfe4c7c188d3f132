#pragma once
// Windows system error codes by name, for the portable code and the POSIX back end, which
// translates errno into them so the user sees the same error numbers everywhere.

namespace kehrwix::win_code {

inline constexpr unsigned long kInvalidFunction = 1;
inline constexpr unsigned long kFileNotFound = 2;
inline constexpr unsigned long kPathNotFound = 3;
inline constexpr unsigned long kTooManyOpenFiles = 4;
inline constexpr unsigned long kAccessDenied = 5;
inline constexpr unsigned long kInvalidHandle = 6;
inline constexpr unsigned long kArenaTrashed = 7;
inline constexpr unsigned long kNotEnoughMemory = 8;
inline constexpr unsigned long kInvalidBlock = 9;
inline constexpr unsigned long kBadEnvironment = 10;
inline constexpr unsigned long kBadFormat = 11;
inline constexpr unsigned long kInvalidAccess = 12;
inline constexpr unsigned long kInvalidData = 13;
inline constexpr unsigned long kOutOfMemory = 14;
inline constexpr unsigned long kInvalidDrive = 15;
inline constexpr unsigned long kNotSameDevice = 17;
inline constexpr unsigned long kNoMoreFiles = 18;
inline constexpr unsigned long kWriteProtect = 19;
inline constexpr unsigned long kBadUnit = 20;
inline constexpr unsigned long kNotReady = 21;
inline constexpr unsigned long kBadCommand = 22;
inline constexpr unsigned long kCrc = 23;
inline constexpr unsigned long kBadLength = 24;
inline constexpr unsigned long kSeek = 25;
inline constexpr unsigned long kNotDosDisk = 26;
inline constexpr unsigned long kSectorNotFound = 27;
inline constexpr unsigned long kOutOfPaper = 28;
inline constexpr unsigned long kWriteFault = 29;
inline constexpr unsigned long kReadFault = 30;
inline constexpr unsigned long kGeneralFailure = 31;
inline constexpr unsigned long kSharingViolation = 32;
inline constexpr unsigned long kLockViolation = 33;
inline constexpr unsigned long kWrongDisk = 34;
inline constexpr unsigned long kFcbUnavailable = 35;  // a DOS code without a Win32 name
inline constexpr unsigned long kSharingBufferExceeded = 36;
inline constexpr unsigned long kHandleEof = 38;
inline constexpr unsigned long kHandleDiskFull = 39;
inline constexpr unsigned long kInvalidParameter = 87;
inline constexpr unsigned long kDiskFull = 112;
inline constexpr unsigned long kInvalidName = 123;
inline constexpr unsigned long kDirNotEmpty = 145;
inline constexpr unsigned long kAlreadyExists = 183;
inline constexpr unsigned long kBadExeFormat = 193;
inline constexpr unsigned long kFilenameExceedsRange = 206;
inline constexpr unsigned long kFileTooLarge = 223;
inline constexpr unsigned long kNotADirectory = 267;  // ERROR_DIRECTORY
inline constexpr unsigned long kIoDevice = 1117;
inline constexpr unsigned long kCannotResolveFilename = 1921;

}  // namespace kehrwix::win_code
