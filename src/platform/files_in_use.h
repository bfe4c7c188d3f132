#pragma once
// Files that running programs hold stay, as on Windows, where the system itself refuses to
// delete them. Before a cleaning run the POSIX back end notes what every process it may look at
// holds (open descriptors, mapped files, current and root folders); the folder operations then
// refuse to delete those, and never delete a socket, FIFO or device node at all.

namespace kehrwix::fs {

// Replaces the previous note. Does nothing on Windows.
void note_files_in_use();

}  // namespace kehrwix::fs
