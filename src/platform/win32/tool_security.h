#pragma once
// What the system says about a tool file's security, handed to the portable trust rule.

#include <windows.h>

#include <optional>
#include <string>

#include "platform/tool_trust.h"

namespace kehrwix::win32 {

// True when the tool at `path` (canonical) may be started: see tool_trust.h. Any answer the
// system cannot give counts against the tool.
bool tool_may_start(const std::string& path);

// Owner, access list and reparse flag of the file open on `handle` (opened with READ_CONTROL
// and FILE_READ_ATTRIBUTES, never through a reparse point); nullopt when the system does not
// tell, or for a folder.
std::optional<tool_trust::ToolFacts> security_facts(HANDLE handle);

}  // namespace kehrwix::win32
