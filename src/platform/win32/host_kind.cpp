#include "platform/host_kind.h"

namespace kehrwix::fs {

bool host_is_windows() {
    return true;
}

}  // namespace kehrwix::fs
