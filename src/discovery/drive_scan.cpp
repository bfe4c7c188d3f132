#include "discovery/drive_scan.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "discovery/hits_file.h"
#include "discovery/search_criteria.h"
#include "platform/error.h"
#include "platform/folder.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "run/flow.h"
#include "run/program.h"

namespace kehrwix {
namespace {

constexpr std::string_view kInvalidHandle = "Invalid Handle!\r\n";

// A poll costs a few system calls on a terminal, as much as listing a small folder, so the
// console is polled only every few milliseconds of scanning, and after a drive's root listing,
// and after a fixed number of folders or entries (a virtual clock never moves on its own).
class EscWatch {
  public:
    explicit EscWatch(Program& program)
        : program_(program), last_poll_ms_(program.services.clock.now_ms()) {}

    bool pressed_after_entry() {
        ++entries_;
        if (entries_ % kClockCheckEntries != 0)
            return false;
        return (entries_ >= kPollEntries || interval_passed()) && pressed();
    }

    bool pressed_after_folder(bool root) {
        ++folders_;
        return (root || folders_ >= kPollFolders || interval_passed()) && pressed();
    }

  private:
    static constexpr unsigned kClockCheckEntries = 16;
    static constexpr unsigned kPollEntries = 256;
    static constexpr unsigned kPollFolders = 32;
    static constexpr std::int64_t kPollIntervalMs = 10;

    bool interval_passed() {
        return program_.services.clock.now_ms() - last_poll_ms_ >= kPollIntervalMs;
    }

    bool pressed() {
        entries_ = 0;
        folders_ = 0;
        last_poll_ms_ = program_.services.clock.now_ms();
        return program_.screen.read_key(true).key == keys::kEsc;
    }

    Program& program_;
    std::int64_t last_poll_ms_;
    unsigned entries_ = 0;
    unsigned folders_ = 0;
};

enum class Listing { complete, unreadable, escaped };

void report_invalid_handle(Program& program) {
    program.services.standard_output << kInvalidHandle;
    program.services.standard_output.flush();
}

bool is_root(const std::string& folder) {
    return folder.size() == 3;  // "C:\"
}

// Pending folders end with "\"; the file system wants "C:\" for a root and "C:\A" below it.
std::string canonical_of(const std::string& folder) {
    if (is_root(folder))
        return folder;
    return folder.substr(0, folder.size() - 1);
}

class Scanner {
  public:
    explicit Scanner(Program& program)
        : program_(program), pending_(program.scan.pending), esc_(program) {}

    // Returns false when the user ended the scan with ESC.
    bool scan_drive(char letter) {
        show_status(letter);
        if (!fs::drive_ready(letter)) {
            report_invalid_handle(program_);
            return true;
        }
        pending_.push_back(std::string(1, letter) + ":\\");
        while (!pending_.empty()) {
            const std::string folder = std::move(pending_.back());
            pending_.pop_back();
            const Listing result = list(folder);
            if (result == Listing::escaped)
                return false;
            // Only a root that cannot be listed ends the drive; the folders still pending are
            // taken up after the next drive's root.
            if (result == Listing::unreadable && is_root(folder))
                break;
        }
        return true;
    }

  private:
    void show_status(char letter) {
        Screen& screen = program_.screen;
        screen.locate(3, 3);
        screen.write("Bitte warten .  Suche auf Laufwerk ");
        screen.write(std::string(1, letter) + ":");
        screen.end_line();
        screen.flush();
    }

    Listing list(const std::string& folder) {
        Listing result = list_entries(folder);
        if (result != Listing::escaped && esc_.pressed_after_folder(is_root(folder)))
            result = Listing::escaped;
        return result;
    }

    // Every subfolder is matched now and queued to be listed before the folders pending behind
    // this one, in listing order. Only opening and reading the folder count as unreadable: a
    // hit that cannot be recorded is the scan's error.
    Listing list_entries(const std::string& folder) {
        std::optional<fs::Folder> handle;
        std::vector<fs::DirEntry> entries;
        try {
            handle.emplace(open(folder));
            entries = handle->entries();
        } catch (const RunError&) {
            report_invalid_handle(program_);
            return Listing::unreadable;
        }
        found_.clear();
        Listing result = Listing::complete;
        const std::string upper_folder = text::upper(folder);
        for (const fs::DirEntry& entry : entries) {
            examine(folder, upper_folder, entry);
            if (esc_.pressed_after_entry()) {
                result = Listing::escaped;
                break;
            }
        }
        if (!found_.empty() && open_.size() < kMaxOpenFolders)
            open_.push_back(OpenFolder{folder, std::move(*handle)});
        for (auto it = found_.rbegin(); it != found_.rend(); ++it)
            pending_.push_back(std::move(*it));
        return result;
    }

    // Folders are listed depth first, so the parent of the next one is nearly always still
    // open: opening it by name below the parent spares walking the whole path again.
    fs::Folder open(const std::string& folder) {
        while (!open_.empty() && !folder.starts_with(open_.back().path))
            open_.pop_back();
        if (!open_.empty()) {
            std::string_view name(folder);
            name.remove_prefix(open_.back().path.size());
            name.remove_suffix(1);
            if (name.find('\\') == std::string_view::npos) {
                return open_.back().handle.open_child(name);
            }
        }
        return fs::Folder::open(canonical_of(folder));
    }

    void examine(const std::string& folder, const std::string& upper_folder,
                 const fs::DirEntry& entry) {
        const fs::Attributes& a = entry.attributes;
        if (!a.directory || entry.name.empty() || entry.name.front() == '.' || a.link)
            return;
        if (entry.name.find_first_of("\\:\r\n\x1a") != std::string::npos) {
            // A name no Windows path can express would lead the path somewhere else (or could
            // never be cleaned), and one that ends a line or the data would split its hit line
            // into other paths.
            report_invalid_handle(program_);
            return;
        }
        std::string path;
        path.reserve(folder.size() + entry.name.size() + 1);
        path += folder;
        path += entry.name;
        path += '\\';
        std::string upper_path = upper_folder;
        upper_path += text::upper(entry.name);
        upper_path += '\\';
        if (matches_criteria(upper_path, program_.scan.criteria)) {
            record_hit(program_.hits_path, path);
        }
        // Another volume mounted here is not part of this drive.
        if (!a.mount)
            found_.push_back(std::move(path));
    }

    struct OpenFolder {
        std::string path;
        fs::Folder handle;
    };
    // Enough for any real tree; deeper folders are opened by their full path.
    static constexpr std::size_t kMaxOpenFolders = 64;

    Program& program_;
    std::vector<std::string>& pending_;
    std::vector<std::string> found_;
    std::vector<OpenFolder> open_;  // the folder listed last and its ancestors, outermost first
    EscWatch esc_;
};

void run_scan(Program& program) {
    program.screen.clear();
    ensure_criteria_file(program.criteria_path);
    load_criteria(program.criteria_path, program.scan.criteria);

    Scanner scanner(program);
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if (!scanner.scan_drive(letter))
            return;
    }
    hits_to_path_list(program.hits_path, program.path_list_path);
}

}  // namespace

void drive_scan(Program& program) {
    try {
        run_scan(program);
    } catch (const RunError& error) {
        Screen& screen = program.screen;
        screen.clear();
        screen.end_line();
        screen.write("Fehler ");
        screen.write_number(error.number());
        screen.write(" beim durchsuchen nach Directorys");
        program.sleep(3000);
        end_step(program);
    }
}

}  // namespace kehrwix
