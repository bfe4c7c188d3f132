// The kind of a drive, as the system reports it.

#include "platform/drive_kinds.h"

#include <windows.h>

namespace kehrwix::fs {

DriveKind drive_kind(char letter) {
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    if (letter < 'A' || letter > 'Z')
        return DriveKind::none;
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    switch (GetDriveTypeW(root)) {
        case DRIVE_NO_ROOT_DIR:
            return DriveKind::none;
        case DRIVE_REMOVABLE:
            return DriveKind::removable;
        case DRIVE_FIXED:
            return DriveKind::fixed;
        case DRIVE_REMOTE:
            return DriveKind::remote;
        case DRIVE_CDROM:
            return DriveKind::cdrom;
        case DRIVE_RAMDISK:
            return DriveKind::ramdisk;
        default:
            return DriveKind::unknown;
    }
}

}  // namespace kehrwix::fs
