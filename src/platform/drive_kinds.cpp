#include "platform/drive_kinds.h"

namespace kehrwix {

bool scan_drive_of_kind(DriveKind kind) {
    switch (kind) {
        case DriveKind::removable:
        case DriveKind::fixed:
        case DriveKind::cdrom:
        case DriveKind::ramdisk:
            return true;
        case DriveKind::none:
        case DriveKind::unknown:
        case DriveKind::remote:
            return false;
    }
    return false;
}

}  // namespace kehrwix
