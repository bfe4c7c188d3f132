#include "cleaning/line_sizes.h"

#include <utility>
#include <vector>

#include "cleaning/descent.h"
#include "cleaning/file_step.h"
#include "platform/error.h"
#include "platform/folder.h"
#include "platform/text.h"
#include "rules/folder_rule.h"

namespace kehrwix {
namespace {

struct Level {
    fs::Folder folder;
    std::vector<std::string> subfolders;
    std::size_t next = 0;
};

// Counts a folder's files and notes the subfolders a "*" line would enter.
Level read_level(const FolderRule& rule, const RestartFiles& restart_files, fs::Folder folder,
                 bool whole_subtree, LineSize& size) {
    Level level{std::move(folder), {}, 0};
    std::vector<fs::DirEntry> files;
    for (fs::DirEntry& entry : kept_entries_removed(rule, level.folder, level.folder.entries())) {
        if (file_step_would_delete(restart_files, level.folder.path(), entry))
            files.push_back(std::move(entry));
        else if (whole_subtree && is_subfolder(entry.attributes))
            level.subfolders.push_back(std::move(entry.name));
    }
    level.folder.fill_sizes(files);
    size.files += files.size();
    for (const fs::DirEntry& file : files)
        size.bytes += file.size;
    return level;
}

}  // namespace

ListedLine parse_listed_line(const std::string& line) {
    ListedLine listed;
    listed.whole_subtree = !line.empty() && line[0] == '*';
    listed.folder = text::substr(line, 1);
    if (!listed.folder.empty() && listed.folder.back() == '\\')
        listed.folder.pop_back();
    return listed;
}

std::optional<LineSize> line_size(const FolderRule& rule, const RestartFiles& restart_files,
                                  const PathModel& paths, const std::string& line,
                                  const std::function<bool()>& go_on) {
    const ListedLine listed = parse_listed_line(line);
    LineSize size;
    if (!go_on())
        return std::nullopt;
    FolderVerdict verdict = rule.judge(paths, listed.folder);
    if (verdict.refused || !verdict.folder)
        return size;
    std::vector<Level> stack;
    try {
        stack.push_back(read_level(rule, restart_files, std::move(*verdict.folder),
                                   listed.whole_subtree, size));
    } catch (const RunError&) {
        return size;  // unreadable: the run deletes nothing there either
    }
    while (!stack.empty()) {
        Level& top = stack.back();
        if (top.next == top.subfolders.size()) {
            stack.pop_back();
            continue;
        }
        if (!go_on())
            return std::nullopt;
        try {
            fs::Folder child = top.folder.open_child(top.subfolders[top.next++]);
            if (!rule.refuses_entered(child.identity()))
                stack.push_back(read_level(rule, restart_files, std::move(child), true, size));
        } catch (const RunError&) {
            // Neither entered nor emptied by the run.
        }
    }
    return size;
}

}  // namespace kehrwix
