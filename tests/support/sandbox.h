#pragma once
// A fresh host directory per test, mapped as drives. Nothing outside it is ever touched.

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>

namespace kehrwix::testing {

class Sandbox {
  public:
    // Creates <tmp>/kehrwix-test-XXXXXX with one subdirectory per drive letter in `drives`,
    // and maps them ("C:=<root>/c;D:=<root>/d").
    explicit Sandbox(const std::string& drives = "C");
    ~Sandbox();
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // Host directory of a drive, and host path of a name on it ("TEMP/a.txt", '/' separated).
    std::filesystem::path drive(char letter) const {
        return root_ / std::string(1, static_cast<char>(letter | 0x20));
    }
    std::filesystem::path host(char letter, const std::string& relative) const {
        return drive(letter) / relative;
    }

    // Small helpers for building trees; `exists` does not follow a link.
    void make_folder(char letter, const std::string& relative) const {
        std::filesystem::create_directories(host(letter, relative));
    }
    void write_file(char letter, const std::string& relative, const std::string& bytes = "x") const;
    std::string read_file(char letter, const std::string& relative) const;
    bool exists(char letter, const std::string& relative) const {
        std::error_code ignored;
        return std::filesystem::exists(
            std::filesystem::symlink_status(host(letter, relative), ignored));
    }

  private:
    std::filesystem::path root_;
    std::string drives_;
};

// The free space a cleaning run reads, as a volume of 1 TiB holding only the files below
// `root`: what a run frees is then exact, whatever else the machine writes meanwhile.
std::uint64_t free_space_holding_only(const std::filesystem::path& root);

}  // namespace kehrwix::testing
