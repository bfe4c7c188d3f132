#include "platform/posix/errno_map.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/error.h"
#include "platform/posix/linux_only.h"

namespace kehrwix::posix {

unsigned long windows_code_for_errno(int error) {
    switch (error) {
        case ENOENT:
            return win_code::kFileNotFound;
        case ENOTDIR:
            return win_code::kPathNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
            return win_code::kAccessDenied;
        case EMFILE:
        case ENFILE:
            return win_code::kTooManyOpenFiles;
        case ENOMEM:
            return win_code::kNotEnoughMemory;
        case EBADF:
            return win_code::kInvalidHandle;
        case EXDEV:
            return win_code::kNotSameDevice;
        case EROFS:
            return win_code::kWriteProtect;
        case ENXIO:
        case ENODEV:
        case ENOMEDIUM:
            return win_code::kNotReady;
        case EBUSY:
        case ETXTBSY:
            return win_code::kSharingViolation;
        case EINVAL:
        case E2BIG:
            return win_code::kInvalidParameter;
        case ENOSPC:
        case EDQUOT:
            return win_code::kDiskFull;
        case ENOTEMPTY:
            return win_code::kDirNotEmpty;
        case ENOEXEC:
            return win_code::kBadExeFormat;
        case ENAMETOOLONG:
            return win_code::kFilenameExceedsRange;
        case EEXIST:
            return win_code::kAlreadyExists;
        case EFBIG:
            return win_code::kFileTooLarge;
        case ELOOP:
            return win_code::kCannotResolveFilename;
        case EIO:
            return win_code::kIoDevice;
        default:
            return win_code::kInvalidFunction;
    }
}

void throw_errno(int error, std::string_view context) {
    throw_windows_error(windows_code_for_errno(error),
                        std::string(context) + ": " + std::strerror(error));
}

}  // namespace kehrwix::posix
