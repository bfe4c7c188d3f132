// STUB: replaced by the ncursesw terminal console.
#include "platform/console_device.h"
namespace kehrwix {
std::unique_ptr<ConsoleDevice> open_console() { return nullptr; }
}  // namespace kehrwix
