#include "support/sandbox.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "platform/fs.h"

namespace kehrwix::testing {
namespace {
// Sandboxes alive at once (a test may nest one); the drive map follows the innermost.
std::vector<std::string>& active_maps() {
    static std::vector<std::string> maps;
    return maps;
}
}  // namespace

Sandbox::Sandbox(const std::string& drives) : drives_(drives) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/kehrwix-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    std::string map;
    for (char letter : drives_) {
        std::filesystem::create_directories(drive(letter));
        if (!map.empty())
            map += ";";
        map += std::string(1, letter) + ":=" + drive(letter).string();
    }
    fs::configure_drives(map);
    active_maps().push_back(map);
}

Sandbox::~Sandbox() {
    active_maps().pop_back();
    if (!active_maps().empty())
        fs::configure_drives(active_maps().back());
    std::error_code ignored;
    // Permissions a test took away must not keep the sandbox from going.
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
}

void Sandbox::write_file(char letter, const std::string& relative, const std::string& bytes) const {
    std::filesystem::create_directories(host(letter, relative).parent_path());
    std::ofstream(host(letter, relative), std::ios::binary) << bytes;
}

std::string Sandbox::read_file(char letter, const std::string& relative) const {
    std::ostringstream s;
    s << std::ifstream(host(letter, relative), std::ios::binary).rdbuf();
    return s.str();
}

std::uint64_t free_space_holding_only(const std::filesystem::path& root) {
    std::uint64_t used = 0;
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(
             root, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (!it->is_regular_file(ignored) || it->is_symlink(ignored))
            continue;
        const std::uintmax_t size = it->file_size(ignored);
        used += ignored ? 0 : size;
    }
    return (std::uint64_t{1} << 40) - used;
}

}  // namespace kehrwix::testing
