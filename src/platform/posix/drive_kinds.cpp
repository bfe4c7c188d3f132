// Every mapped drive is a local folder of this host.

#include "platform/drive_kinds.h"

namespace kehrwix::fs {

DriveKind drive_kind(char) {
    return DriveKind::fixed;
}

}  // namespace kehrwix::fs
