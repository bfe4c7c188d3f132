#include "platform/console_events.h"

namespace kehrwix {

bool console_event_ends_run(ConsoleEvent event, bool interactive) {
    switch (event) {
        case ConsoleEvent::interrupt:
        case ConsoleEvent::close:
        case ConsoleEvent::shutdown:
            return true;
        case ConsoleEvent::logoff:
            return interactive;
        case ConsoleEvent::other:
            return false;
    }
    return false;
}

}  // namespace kehrwix
