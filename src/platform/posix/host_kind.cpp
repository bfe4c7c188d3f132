#include "platform/host_kind.h"

namespace kehrwix::fs {

bool host_is_windows() {
    return false;
}

}  // namespace kehrwix::fs
