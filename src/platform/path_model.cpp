// STUB: replaced by the path model implementation.
#include "platform/path_model.h"
namespace kehrwix {
PathModel::PathModel() {}
std::string PathModel::current_folder() const { return "C:\\"; }
std::string PathModel::current_folder_of(char) const { return "C:\\"; }
std::string PathModel::resolve(std::string_view name) const { return std::string(name); }
void PathModel::set_current_drive(char d) { current_drive_ = d; }
void PathModel::set_current_folder(const std::string&) {}
namespace path {
std::string normalize_absolute(std::string_view n) { return std::string(n); }
bool is_root(std::string_view c) { return c.size() == 3; }
std::string parent(std::string_view c) { return std::string(c); }
std::string leaf(std::string_view) { return ""; }
std::string join(std::string_view c, std::string_view n) { return std::string(c) + "\\" + std::string(n); }
bool is_within(std::string_view, std::string_view) { return false; }
}  // namespace path
}  // namespace kehrwix
