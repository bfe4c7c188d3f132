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

std::filesystem::path Sandbox::drive(char letter) const {
    return root_ / std::string(1, static_cast<char>(letter | 0x20));
}

std::filesystem::path Sandbox::host(char letter, const std::string& relative) const {
    return drive(letter) / relative;
}

void Sandbox::make_folder(char letter, const std::string& relative) const {
    std::filesystem::create_directories(host(letter, relative));
}

void Sandbox::write_file(char letter, const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path p = host(letter, relative);
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string Sandbox::read_file(char letter, const std::string& relative) const {
    std::ifstream in(host(letter, relative), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Sandbox::exists(char letter, const std::string& relative) const {
    std::error_code ignored;
    return std::filesystem::exists(
        std::filesystem::symlink_status(host(letter, relative), ignored));
}

}  // namespace kehrwix::testing
