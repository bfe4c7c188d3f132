#include "platform/error.h"

#include "platform/windows_codes.h"

namespace kehrwix {

int error_number_for_windows_code(unsigned long code) {
    switch (code) {
        case win_code::kFileNotFound:
        case win_code::kNoMoreFiles:
            return 53;
        case win_code::kPathNotFound:
            return 76;
        case win_code::kTooManyOpenFiles:
            return 67;
        case win_code::kAccessDenied:
        case win_code::kWriteProtect:
        case win_code::kSharingViolation:
        case win_code::kLockViolation:
        case win_code::kSharingBufferExceeded:
            return 70;
        case win_code::kInvalidHandle:
        case win_code::kBadFormat:
        case win_code::kInvalidAccess:
        case win_code::kInvalidData:
        case win_code::kBadCommand:
        case win_code::kBadLength:
            return 51;
        case win_code::kNotEnoughMemory:
        case win_code::kOutOfMemory:
            return 7;
        case win_code::kInvalidDrive:
        case win_code::kBadUnit:
            return 68;
        case win_code::kNotSameDevice:
            return 74;
        case win_code::kNotReady:
            return 71;
        case win_code::kCrc:
        case win_code::kSeek:
        case win_code::kNotDosDisk:
        case win_code::kSectorNotFound:
        case win_code::kOutOfPaper:
        case win_code::kWriteFault:
        case win_code::kReadFault:
        case win_code::kGeneralFailure:
        case win_code::kWrongDisk:
        case win_code::kFcbUnavailable:
            return 72;
        case win_code::kHandleEof:
            return 62;
        case win_code::kHandleDiskFull:
        case win_code::kDiskFull:
            return 61;
        case win_code::kInvalidParameter:
            return 5;
        case win_code::kArenaTrashed:
        case win_code::kInvalidBlock:
        case win_code::kBadEnvironment:
            return 241;
        default:
            return 75;
    }
}

void throw_windows_error(unsigned long windows_code, std::string_view context) {
    throw RunError(error_number_for_windows_code(windows_code),
                   std::string(context) + " (system error " + std::to_string(windows_code) + ")",
                   windows_code);
}

}  // namespace kehrwix
