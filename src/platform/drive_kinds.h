#pragma once
// Which drives the drive scan looks at, and which the folder rule may touch while it builds.
// A folder on a network share belongs to other people, and a mapping whose server is gone
// stalls every access for the network's time-out, so remote drives are passed over like
// drives that are not ready, and their roots are opened only when a line names them.

namespace kehrwix {

enum class DriveKind { none, unknown, removable, fixed, remote, cdrom, ramdisk };

bool scan_drive_of_kind(DriveKind kind);

// How the folder rule learns a drive's root.
enum class RootProbe {
    never,       // no drive behind the letter: nothing listed can lie on it
    at_start,    // a local disk answers at once
    when_named,  // may stall (network, a medium to spin up): only once a line names it
};
RootProbe root_probe_of_kind(DriveKind kind);

namespace fs {
// The kind of a drive letter's drive, from the system's table alone (no access to the drive);
// on POSIX every mapped drive counts as fixed.
DriveKind drive_kind(char letter);
}  // namespace fs

}  // namespace kehrwix
