#pragma once
// Row 5 shows the folder being emptied; it is blanked before and after each file step.

#include <string>

#include "ui/screen.h"

namespace kehrwix {

inline void blank_progress_row(Screen& screen) {
    static const std::string blanks(224, ' ');
    screen.locate(5, 13);
    screen.write(blanks);
}

}  // namespace kehrwix
