#include "platform/posix/errno_map.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/error.h"

namespace kehrwix::posix {

unsigned long windows_code_for_errno(int error) {
    switch (error) {
        case ENOENT:
            return kWinFileNotFound;
        case ENOTDIR:
            return kWinPathNotFound;
        case EACCES:
        case EPERM:
        case EISDIR:
            return kWinAccessDenied;
        case EMFILE:
        case ENFILE:
            return 4;  // too many open files
        case ENOMEM:
            return 8;  // not enough memory
        case EBADF:
            return 6;  // invalid handle
        case EXDEV:
            return 17;  // not the same device
        case EROFS:
            return 19;  // write protected
        case ENXIO:
        case ENODEV:
        case ENOMEDIUM:
            return kWinNotReady;
        case EBUSY:
        case ETXTBSY:
            return 32;  // sharing violation
        case EINVAL:
        case E2BIG:
            return 87;  // invalid parameter
        case ENOSPC:
        case EDQUOT:
            return 112;  // disk full
        case ENOTEMPTY:
            return 145;  // folder not empty
        case ENOEXEC:
            return 193;  // not a valid program
        case ENAMETOOLONG:
            return 206;  // name too long
        case EEXIST:
            return kWinAlreadyExists;
        case EFBIG:
            return 223;  // file too large
        case ELOOP:
            return 1921;  // name cannot be resolved
        case EIO:
            return 1117;  // device I/O error
        default:
            return 1;  // invalid function
    }
}

void throw_errno(int error, std::string_view context) {
    throw_windows_error(windows_code_for_errno(error),
                        std::string(context) + ": " + std::strerror(error));
}

}  // namespace kehrwix::posix
