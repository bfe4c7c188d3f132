#pragma once
// Which kind of host the program runs on, for the few rules that differ (where system folders
// are named).

namespace kehrwix::fs {

bool host_is_windows();

}  // namespace kehrwix::fs
