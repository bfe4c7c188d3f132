#include "run/path_list_location.h"

#include <array>
#include <string_view>

#include "platform/durations.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "run/flow.h"

namespace kehrwix {
namespace {

constexpr std::array<std::string_view, 4> kFallbacks{"C:\\WINDOWS\\TEMP\\KEHRWIX.INI",
                                                     "C:\\TEMP\\KEHRWIX.INI",
                                                     "C:\\TMP\\KEHRWIX.INI", "C:\\KEHRWIX.INI"};

bool starts_with_nocase(std::string_view entry, std::string_view prefix) {
    return text::upper(text::left(entry, text::length(prefix))) == text::upper(prefix);
}

std::string candidate_from(std::string_view entry) {
    const std::string value(entry.substr(entry.find('=') + 1));
    if (!value.empty() && value.back() == '\\')
        return value + "KEHRWIX.INI";
    return value + "\\KEHRWIX.INI";
}

// A place is usable when a plain file is there after trying to create one.
bool make_sure_of(Context& program, const std::string& candidate, std::string& resolved) {
    try {
        if (candidate.empty())
            return false;
        resolved = program.resolve(candidate);
        if (!fs::plain_file_exists(resolved))
            fs::create_file_if_missing(resolved);
        return fs::plain_file_exists(resolved);
    } catch (const RunError&) {
        return false;
    }
}

}  // namespace

std::string path_list_candidate(const std::vector<std::string>& environment) {
    std::string candidate;
    for (const std::string& entry : environment) {
        if (entry.empty() || entry.front() == '=')
            continue;
        if (starts_with_nocase(entry, "KEHRWIX=") || starts_with_nocase(entry, "KEHRWIX =")) {
            candidate = candidate_from(entry);
            if (candidate != "\\KEHRWIX.INI")
                return candidate;
        }
        if (starts_with_nocase(entry, "TMP=") || starts_with_nocase(entry, "TMP =")) {
            candidate = candidate_from(entry);
        } else if (starts_with_nocase(entry, "Temp=") || starts_with_nocase(entry, "TEMP =")) {
            candidate = candidate_from(entry);
        }
    }
    return candidate;
}

void locate_path_list(Context& program) {
    std::string candidate = path_list_candidate(program.services.environment);
    std::string resolved;
    if (make_sure_of(program, candidate, resolved)) {
        program.path_list_path = resolved;
        return;
    }
    for (std::string_view fallback : kFallbacks) {
        candidate = fallback;
        if (make_sure_of(program, candidate, resolved)) {
            program.path_list_path = resolved;
            return;
        }
    }
    program.screen.write(" kann kehrwix.ini nicht finden/anlegen");
    program.screen.end_line();
    program.screen.write(">" + candidate + "<");
    program.screen.end_line();
    program.sleep(kNoPathListMs);
    end_step(program);
}

}  // namespace kehrwix
