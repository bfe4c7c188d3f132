#pragma once
// Reaching a listed folder one component at a time through held handles (see folder.h).

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/folder.h"
#include "platform/win32/handles.h"

namespace kehrwix::win32 {

// Resolves the canonical drive path `path`, following a symbolic link, junction or mount
// point only where the ownership rule allows, and judges the folder reached. On `none`,
// `reached` holds that folder, opened for listing.
fs::ListedRefusal resolve_listed(const std::string& path, const fs::ListedChecks& checks,
                                 Handle& reached);

// The identity of the folder open on `h` and of every folder holding it, innermost first.
std::optional<std::vector<fs::FileIdentity>> ancestry_of(HANDLE h);

fs::FileIdentity identity_of(HANDLE h);

}  // namespace kehrwix::win32
