#pragma once
// The POSIX back end is written for Linux. These parts use what only Linux offers:
// - folder.cpp: openat2 with RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV, so no link or mount point
//   below a listed folder is ever followed;
// - host_walk.cpp, fs_query.cpp: O_PATH descriptors and /proc/self/fd names for calls that only
//   take paths;
// - dos_attributes.cpp: the DOS attributes Samba keeps in the "user.DOSATTRIB" extended
//   attribute (lgetxattr and friends);
// - errno_map.cpp: ENOMEDIUM.
// Another POSIX system needs its own answers here; the build stops rather than half-compiling.

#if !defined(__linux__)
#error "kehrwix's POSIX back end needs Linux (openat2, O_PATH, /proc, lgetxattr)"
#endif
