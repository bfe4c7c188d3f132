// STUB: replaced by the folder listing.
#include "console/listing.h"
namespace kehrwix {
void build_listing(Program&) {}
}  // namespace kehrwix
