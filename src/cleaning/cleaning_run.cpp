// STUB: replaced by the cleaning run.
#include "cleaning/cleaning_run.h"
namespace kehrwix {
void cleaning_run(Program&) {}
}  // namespace kehrwix
