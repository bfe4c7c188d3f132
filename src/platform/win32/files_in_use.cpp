#include "platform/files_in_use.h"

namespace kehrwix::fs {

// Windows refuses to delete a file a program holds open; there is nothing to note.
void note_files_in_use() {}

}  // namespace kehrwix::fs
