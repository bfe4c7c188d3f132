// STUB: the POSIX back end replaces these one by one.
#include "platform/clock.h"
#include "platform/error.h"
#include "platform/folder.h"
#include "platform/fs.h"
#include "platform/process.h"
namespace kehrwix {
namespace fs {
void configure_drives(std::string_view) {}
std::string working_folder() { return "C:\\"; }
bool drive_ready(char) { return false; }
std::optional<Attributes> attributes(const std::string&) { return std::nullopt; }
bool is_folder(const std::string&) { return false; }
bool plain_file_exists(const std::string&) { return false; }
struct DirReader::Impl {};
DirReader::DirReader(const std::string&) : impl_(nullptr) { throw RunError(76); }
DirReader::~DirReader() {}
bool DirReader::next(DirEntry&) { return false; }
void create_file_if_missing(const std::string&) { throw RunError(76); }
std::uint64_t file_size(const std::string&) { throw RunError(53); }
std::string read_file(const std::string&) { throw RunError(53); }
void write_file(const std::string&, std::string_view) { throw RunError(76); }
void overwrite_file(const std::string&, std::string_view, bool) { throw RunError(76); }
void append_file(const std::string&, std::string_view) { throw RunError(76); }
void delete_file(const std::string&) { throw RunError(53); }
void clear_attributes(const std::string&) { throw RunError(53); }
void create_folder(const std::string&) { throw RunError(76); }
void remove_folder(const std::string&) { throw RunError(76); }
std::string host_path(const std::string& p) { return p; }
std::string long_path_name(const std::string& p) { return p; }
struct Folder::Impl {};
Folder Folder::open(const std::string&) { throw RunError(76); }
Folder::Folder(std::unique_ptr<Impl> impl, std::string path) : impl_(std::move(impl)), path_(std::move(path)) {}
Folder::Folder(Folder&&) noexcept = default;
Folder& Folder::operator=(Folder&&) noexcept = default;
Folder::~Folder() = default;
Folder Folder::open_child(std::string_view) const { throw RunError(76); }
std::vector<DirEntry> Folder::entries() const { return {}; }
void Folder::clear_attributes(std::string_view) const {}
void Folder::delete_file(std::string_view) const {}
void Folder::remove_folder(std::string_view) const {}
}  // namespace fs
namespace {
struct StubClock : Clock {
    void sleep_ms(int) override {}
    std::int64_t now_ms() override { return 0; }
};
struct StubLauncher : ProcessLauncher {
    void run_and_wait(const std::string&, const std::string&) override { throw RunError(53); }
    std::size_t max_command_line() const override { return 0; }
};
}  // namespace
Clock& system_clock() { static StubClock c; return c; }
ProcessLauncher& system_process_launcher() { static StubLauncher l; return l; }
std::vector<std::string> environment_entries() { return {}; }
std::vector<std::string> program_arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }
}  // namespace kehrwix
