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

RootProbe root_probe_of_kind(DriveKind kind) {
    switch (kind) {
        case DriveKind::fixed:
        case DriveKind::ramdisk:
            return RootProbe::at_start;
        case DriveKind::remote:
        case DriveKind::removable:
        case DriveKind::cdrom:
            return RootProbe::when_named;
        case DriveKind::none:
        case DriveKind::unknown:
            return RootProbe::never;
    }
    return RootProbe::never;
}

}  // namespace kehrwix
