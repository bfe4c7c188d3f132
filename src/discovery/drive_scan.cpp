// STUB: replaced by the drive scan.
#include "discovery/drive_scan.h"
namespace kehrwix {
void drive_scan(Program&) {}
}  // namespace kehrwix
