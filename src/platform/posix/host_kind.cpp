#include "platform/host_kind.h"

namespace kehrwix::fs {

bool host_is_windows() {
    return false;
}

std::vector<std::string> known_document_folders() {
    return {};
}

}  // namespace kehrwix::fs
