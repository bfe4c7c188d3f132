// POSIX systems have no list of files to replace at the next restart.

#include "platform/pending_renames.h"

namespace kehrwix {

std::vector<std::string> files_pending_restart() {
    return {};
}

}  // namespace kehrwix
