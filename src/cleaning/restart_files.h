#pragma once
// The files and folders that Windows will move or delete at the next restart, looked up by the
// file step and the descent. Unfinished installations and updates keep their new files in temp
// folders until then; deleting one, or emptying a staged folder, breaks the installation. A
// folder named there stays whole; a folder holding a named entry keeps it, so it is never
// emptied enough to be removed.

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kehrwix {

class RestartFiles {
  public:
    RestartFiles() = default;
    // `paths` canonical, as the system names them (8.3 short names are expanded here).
    explicit RestartFiles(const std::vector<std::string>& paths);
    // What the system has queued at this moment; read once per cleaning run.
    static RestartFiles queued_now();

    // True when `name` inside `folder` (canonical) is one of them, in any spelling.
    bool contains(const std::string& folder, std::string_view name) const;
    // True when the folder `path` (canonical) is one of them.
    bool names(const std::string& path) const;
    bool empty() const { return folders_by_name_.empty(); }

  private:
    // Upper-case file name -> the upper-case folders that hold a file of that name.
    std::unordered_map<std::string, std::vector<std::string>> folders_by_name_;
};

}  // namespace kehrwix
