#include "discovery/drive_scan.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "context/context.h"
#include "discovery/hits_file.h"
#include "discovery/search_criteria.h"
#include "platform/drive_kinds.h"
#include "platform/error.h"
#include "platform/folder.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "rules/folder_rule.h"

namespace kehrwix {
namespace {

constexpr std::string_view kInvalidHandle = "Invalid Handle!";

// A poll costs a few system calls on a terminal, as much as listing a small folder, so the
// console is polled only every few milliseconds of scanning, and after a drive's root listing,
// and after a fixed number of folders or entries (a virtual clock never moves on its own).
class EscWatch {
  public:
    explicit EscWatch(Context& program)
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
        return program_.screen.poll_key().key == keys::kEsc;
    }

    Context& program_;
    std::int64_t last_poll_ms_;
    unsigned entries_ = 0;
    unsigned folders_ = 0;
};

enum class Listing { complete, unreadable, escaped };

// Standard output text. When standard output is the console's own terminal, written behind the
// console's back it would move the real cursor and leave stray cells; there it goes through the
// screen at the cursor instead, as a console window shows a program's output.
void report_invalid_handle(Context& program) {
    if (program.services.console.shares_standard_output()) {
        program.screen.write(kInvalidHandle);
        program.screen.end_line();
        return;
    }
    program.services.standard_output << kInvalidHandle << "\r\n";
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
    Scanner(Context& program, const FolderRule& rule)
        : program_(program), rule_(rule), pending_(program.scan.pending), esc_(program) {}

    // Returns false when the user ended the scan with ESC.
    bool scan_drive(char letter) {
        show_status(letter);
        // A network drive belongs to other people, and one whose server is gone stalls.
        if (!scan_drive_of_kind(fs::drive_kind(letter)) || !fs::drive_ready(letter)) {
            report_invalid_handle(program_);
            return true;
        }
        if (rule_.scan_refuses_drive(letter))
            return true;  // the whole drive is program code or system state
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
            // A system tree reached by another name (a bind mount, say) is not entered.
            if (rule_.refuses_entered(handle->identity()))
                return Listing::complete;
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
        const std::string upper_name = text::upper(entry.name);
        std::string upper_path = upper_folder;
        upper_path += upper_name;
        // Program code, system state and package trees are neither reported nor entered.
        if (rule_.scan_refuses(upper_path, upper_name))
            return;
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

    Context& program_;
    const FolderRule& rule_;
    std::vector<std::string>& pending_;
    std::vector<std::string> found_;
    std::vector<OpenFolder> open_;  // the folder listed last and its ancestors, outermost first
    EscWatch esc_;
};

void run_scan(Context& program) {
    program.screen.clear();
    ensure_criteria_file(program.criteria_path);
    load_criteria(program.criteria_path, program.scan.criteria);

    const FolderRule rule(program.services.system_root, program.services.environment);
    Scanner scanner(program, rule);
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if (!scanner.scan_drive(letter))
            return;
    }
    hits_to_path_list(program.hits_path, program.path_list_path);
}

}  // namespace

ScanOutcome drive_scan(Context& program) {
    try {
        run_scan(program);
        return ScanOutcome::done;
    } catch (const RunError& error) {
        Screen& screen = program.screen;
        screen.clear();
        screen.end_line();
        screen.write("Fehler ");
        screen.write_number(error.number());
        screen.write(" beim durchsuchen nach Directorys");
        program.sleep(3000);
        return ScanOutcome::failed;
    }
}

}  // namespace kehrwix
