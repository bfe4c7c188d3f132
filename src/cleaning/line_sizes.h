#pragma once
// What a path list line would delete now, counted by the cleaning run's own rules without
// deleting anything: for the path list display.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kehrwix {

class FolderRule;
class PathModel;
class RestartFiles;

struct ListedLine {
    bool whole_subtree = false;  // "*"
    std::string folder;          // without the flag and one trailing "\"
};
ListedLine parse_listed_line(const std::string& line);

struct LineSize {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
};

// The files the run would try for this line: the folder's own, for a "*" line those of every
// folder it would enter as well. What the run skips is left out: a refused line (nothing),
// what the rule keeps, links and other volumes (never entered; a link counts as the file it
// is), the program's own files, placeholders and files pending a restart. A file in use only
// shows itself when deleted, so it is counted. `go_on` is asked before each folder; nullopt
// when it said stop.
std::optional<LineSize> line_size(const FolderRule& rule, const RestartFiles& restart_files,
                                  const PathModel& paths, const std::string& line,
                                  const std::function<bool()>& go_on);

}  // namespace kehrwix
