#include "platform/posix/drive_map.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>

#include "platform/fs.h"
#include "platform/path_model.h"

namespace kehrwix::posix {
namespace {

using DriveTable = std::array<std::string, 26>;  // "" = not mapped

DriveTable& drives() {
    static DriveTable table = [] {
        DriveTable t;
        t['C' - 'A'] = "/";
        return t;
    }();
    return table;
}

int index_of(char letter) {
    const std::optional<char> drive = path::drive_letter(letter);
    return drive ? *drive - 'A' : -1;
}

// Collapses repeated slashes and drops a trailing one, so prefix tests work on components.
std::string tidy_directory(std::string_view dir) {
    std::string out;
    for (char c : dir) {
        if (c == '/' && !out.empty() && out.back() == '/')
            continue;
        out.push_back(c);
    }
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

[[noreturn]] void reject(const std::string& problem) {
    throw std::invalid_argument("KEHRWIX_DRIVES: " + problem);
}

DriveTable parse(std::string_view map) {
    DriveTable table;
    bool any = false;
    std::size_t start = 0;
    while (start <= map.size()) {
        std::size_t end = map.find(';', start);
        if (end == std::string_view::npos)
            end = map.size();
        const std::string_view entry = map.substr(start, end - start);
        start = end + 1;
        if (entry.empty())
            continue;  // tolerates "C:=/;" and ";;"
        const int index =
            entry.size() >= 3 && entry[1] == ':' && entry[2] == '=' ? index_of(entry[0]) : -1;
        if (index < 0) {
            reject("entry \"" + std::string(entry) + "\" is not of the form X:=/directory");
        }
        const std::string letter(1, static_cast<char>('A' + index));
        const std::string_view dir = entry.substr(3);
        if (dir.empty() || dir.front() != '/') {
            reject("directory of drive " + letter + ": is not absolute: \"" + std::string(dir) +
                   "\"");
        }
        if (!table[index].empty())
            reject("drive " + letter + ": is mapped twice");
        table[index] = tidy_directory(dir);
        any = true;
    }
    if (!any)
        reject("maps no drive");
    return table;
}

// The directory as getcwd would spell it, so symlinked map entries still match.
std::string real_directory(const std::string& dir) {
    std::unique_ptr<char, decltype(&std::free)> real(realpath(dir.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : dir;
}

bool contains(const std::string& dir, std::string_view host) {
    if (dir == "/")
        return !host.empty() && host.front() == '/';
    return host.substr(0, dir.size()) == dir &&
           (host.size() == dir.size() || host[dir.size()] == '/');
}

}  // namespace

const std::string* drive_directory(char letter) {
    const int index = index_of(letter);
    if (index < 0 || drives()[index].empty())
        return nullptr;
    return &drives()[index];
}

std::string drive_map_text() {
    std::string text;
    for (int i = 0; i < 26; ++i) {
        if (drives()[i].empty())
            continue;
        if (!text.empty())
            text += ';';
        text += std::string(1, static_cast<char>('A' + i)) + ":=" + drives()[i];
    }
    return text;
}

std::optional<std::string> model_path_of_host(std::string_view host) {
    int best = -1;
    std::string best_dir;
    for (int i = 0; i < 26; ++i) {
        if (drives()[i].empty())
            continue;
        const std::string dir = real_directory(drives()[i]);
        if (contains(dir, host) && (best < 0 || dir.size() > best_dir.size())) {
            best = i;
            best_dir = dir;
        }
    }
    if (best < 0)
        return std::nullopt;
    std::string rest(host.substr(best_dir == "/" ? 1 : best_dir.size()));
    if (!rest.empty() && rest.front() == '/')
        rest.erase(0, 1);
    // A "\" would split a folder name in two and a ":" is no part of a name: either would put
    // the program somewhere else than where it was started.
    if (rest.find_first_of("\\:") != std::string::npos)
        return std::nullopt;
    for (char& c : rest) {
        if (c == '/')
            c = '\\';
    }
    return std::string(1, static_cast<char>('A' + best)) + ":\\" + rest;
}

}  // namespace kehrwix::posix

namespace kehrwix::fs {

void configure_drives(std::string_view map) {
    posix::drives() = posix::parse(map);
}

std::string working_folder() {
    std::unique_ptr<char, decltype(&std::free)> cwd(getcwd(nullptr, 0), &std::free);
    if (!cwd)
        throw std::runtime_error("cannot read the working directory");
    if (auto model = posix::model_path_of_host(cwd.get()))
        return *model;
    throw std::runtime_error(std::string("the working directory ") + cwd.get() +
                             " lies on no drive of KEHRWIX_DRIVES or has \\ or : in a name");
}

bool drive_ready(char letter) {
    const std::string* dir = posix::drive_directory(letter);
    struct stat st {};
    return dir != nullptr && ::stat(dir->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace kehrwix::fs
