#pragma once
// A fresh host directory per test, mapped as drives. Nothing outside it is ever touched.

#include <filesystem>
#include <string>

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
    std::filesystem::path drive(char letter) const;
    std::filesystem::path host(char letter, const std::string& relative) const;

    // Small helpers for building trees.
    void make_folder(char letter, const std::string& relative) const;
    void write_file(char letter, const std::string& relative, const std::string& bytes = "x") const;
    std::string read_file(char letter, const std::string& relative) const;
    bool exists(char letter, const std::string& relative) const;

  private:
    std::filesystem::path root_;
    std::string drives_;
};

}  // namespace kehrwix::testing
