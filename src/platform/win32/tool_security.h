#pragma once
// What the system says about a tool file's security, handed to the portable trust rule.

#include <string>

namespace kehrwix::win32 {

// True when the tool at `path` (canonical) may be started: see tool_trust.h. Any answer the
// system cannot give counts against the tool.
bool tool_may_start(const std::string& path);

}  // namespace kehrwix::win32
