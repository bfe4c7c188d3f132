#include "platform/file_replace.h"

namespace kehrwix {

bool clear_before_replacing(bool directory, bool hidden, bool system) {
    // A folder of that name must make the write fail, as it always did.
    return !directory && (hidden || system);
}

}  // namespace kehrwix
