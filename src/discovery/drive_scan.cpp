#include "discovery/drive_scan.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "context/context.h"
#include "discovery/folder_record.h"
#include "discovery/held_folders.h"
#include "discovery/hits_file.h"
#include "discovery/scan_pool.h"
#include "discovery/search_criteria.h"
#include "discovery/subtree_read_ahead.h"
#include "platform/drive_kinds.h"
#include "platform/durations.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/scan_folder.h"
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

// The folder rule as the scan asks it: program code, system state, package trees, documents and
// working trees are neither reported nor entered, profiles and homes are entered but not
// reported. Asked from the reading threads; the rule only reads its own tables. A cache line of
// its own, as it lies beside the scanner's counters.
class alignas(64) RuleExclusions : public ScanExclusions {
  public:
    explicit RuleExclusions(const FolderRule& rule) : rule_(rule) {}
    bool may_report(std::string_view upper_folder) const override {
        upper_folder.remove_suffix(1);  // the trailing "\"
        return !rule_.scan_refuses_report(upper_folder, name_of(upper_folder));
    }
    bool may_enter(std::string_view upper_folder) const override {
        upper_folder.remove_suffix(1);
        return !rule_.scan_refuses(upper_folder, name_of(upper_folder));
    }
    const std::vector<std::string>& working_tree_markers() const override {
        return rule_.working_tree_markers();
    }

  private:
    static std::string_view name_of(std::string_view upper_folder) {
        return upper_folder.substr(upper_folder.rfind('\\') + 1);
    }
    const FolderRule& rule_;
};

// Folders are read ahead on a pool of threads where a reader can be spared (scan_threads), or,
// on two processors, whole subtrees by one helper while this thread reads others; their records
// are replayed here in the order of the single walk below, so hits, path list, screen, ESC and
// the folders left pending are those of one thread reading them in turn.
class alignas(64) Scanner {
    static constexpr std::size_t kClaimWindow = 16;

  public:
    Scanner(Context& program, const FolderRule& rule, const ScanExclusions& exclusions)
        : program_(program),
          rule_(rule),
          pending_(program.scan.pending),
          esc_(program),
          reader_(program.scan.criteria, &exclusions),
          held_(reader_) {
        if (const unsigned threads = scan_threads(); threads > 1)
            pool_.emplace(reader_, threads);
        else if (fs::usable_processors() > 1)
            ahead_.emplace(reader_);
    }

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
            std::string folder = std::move(pending_.back());
            pending_.pop_back();
            const bool root = is_root(folder);
            const Listing result = replay(read(std::move(folder)), root);
            if (result == Listing::escaped)
                return false;
            offer_claim();
            // Only a root that cannot be listed ends the drive; the folders still pending are
            // taken up after the next drive's root.
            if (result == Listing::unreadable && root)
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

    FolderRecord read(std::string folder) {
        if (pool_) {
            // A walk ends with its subtree; the next folder popped starts another.
            std::optional<FolderRecord> record = pool_->next();
            if (!record) {
                pool_->start(folder);
                record = pool_->next();
            }
            if (record && record->folder == folder)
                return std::move(*record);
            pool_.reset();  // never expected: out of step, so read on alone
        }
        if (ahead_) {
            std::optional<FolderRecord> record = ahead_->take(folder);
            if (record)
                return std::move(*record);
            if (ahead_->out_of_step())
                ahead_.reset();  // never expected
        }
        return held_.read(std::move(folder));
    }

    // The helper gets, of the few unclaimed folders pending right below the one on top (which
    // the walk takes next), the shallowest, the soonest among equals: a large subtree the walk
    // reaches soon, so that the records read ahead are taken soon and memory stays flat.
    void offer_claim() {
        if (!ahead_ || !ahead_->wants_claim() || pending_.size() < 2)
            return;
        const std::size_t top = pending_.size() - 1;
        const std::size_t window_end = top > kClaimWindow ? top - kClaimWindow : 0;
        std::size_t pick = top;
        std::size_t pick_depth = SIZE_MAX;
        for (std::size_t i = top; i-- > window_end;) {
            const std::size_t depth = folder_depth(pending_[i]);
            if (depth < pick_depth && !ahead_->claimed(pending_[i])) {
                pick = i;
                pick_depth = depth;
            }
        }
        if (pick == top)
            return;
        const std::string& folder = pending_[pick];
        const std::string_view parent(folder.data(), folder.rfind('\\', folder.size() - 2) + 1);
        ahead_->claim(folder, held_.handle_of(parent));
    }

    // Every subfolder is matched as its entry comes up and queued to be listed before the
    // folders pending behind this one, in listing order. Only opening and reading the folder
    // count as unreadable: a hit that cannot be recorded is the scan's error.
    Listing replay(FolderRecord record, bool root) {
        if (record.state == FolderState::other_volume)
            return Listing::complete;  // a mount point: not part of this drive
        Listing result = Listing::complete;
        if (record.state == FolderState::unreadable) {
            report_invalid_handle(program_);
            result = Listing::unreadable;
        } else {
            found_.clear();
            auto event = record.events.begin();
            for (std::uint32_t at = 0; at < record.entries; ++at) {
                for (; event != record.events.end() && event->at == at; ++event)
                    apply(*event);
                if (esc_.pressed_after_entry()) {
                    result = Listing::escaped;
                    break;
                }
            }
            for (auto it = found_.rbegin(); it != found_.rend(); ++it)
                pending_.push_back(std::move(*it));
        }
        if (result != Listing::escaped && esc_.pressed_after_folder(root))
            result = Listing::escaped;
        return result;
    }

    void apply(ScanEvent& event) {
        switch (event.kind) {
            case ScanEvent::bad_name:
                report_invalid_handle(program_);
                break;
            case ScanEvent::hit:
                record_hit(program_.hits_path, event.path);
                break;
            case ScanEvent::hit_and_child:
                record_hit(program_.hits_path, event.path);
                found_.push_back(std::move(event.path));
                break;
            case ScanEvent::child:
                found_.push_back(std::move(event.path));
                break;
        }
    }

    Context& program_;
    const FolderRule& rule_;
    std::vector<std::string>& pending_;
    std::vector<std::string> found_;
    EscWatch esc_;
    FolderReader reader_;
    HeldFolders held_;
    // Declared last: their threads stop before the rest goes.
    std::optional<ScanPool> pool_;
    std::optional<SubtreeReadAhead> ahead_;
};

void run_scan(Context& program) {
    program.screen.clear();
    ensure_criteria_file(program.criteria_path);
    load_criteria(program.criteria_path, program.scan.criteria);

    const FolderRule rule(program.services.system_root, program.services.environment);
    const RuleExclusions exclusions(rule);
    Scanner scanner(program, rule, exclusions);
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
        program.sleep(kErrorMessageMs);
        return ScanOutcome::failed;
    }
}

}  // namespace kehrwix
