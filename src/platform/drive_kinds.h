#pragma once
// Which drives the drive scan looks at. A folder on a network share belongs to other people,
// and a mapping whose server is gone stalls the scan for minutes, so remote drives are passed
// over like drives that are not ready.

namespace kehrwix {

enum class DriveKind { none, unknown, removable, fixed, remote, cdrom, ramdisk };

bool scan_drive_of_kind(DriveKind kind);

namespace fs {
// The kind of a drive letter's drive; on POSIX every mapped drive counts as fixed.
DriveKind drive_kind(char letter);
}  // namespace fs

}  // namespace kehrwix
