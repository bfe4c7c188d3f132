#include "run/path_list_location.h"

#include <array>
#include <string_view>

#include "pathlist/path_list.h"
#include "platform/config_folder.h"
#include "platform/durations.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/own_file.h"
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

std::string list_in(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\')
        return folder + "KEHRWIX.INI";
    return folder + "\\KEHRWIX.INI";
}

std::string candidate_from(std::string_view entry) {
    return list_in(std::string(entry.substr(entry.find('=') + 1)));
}

// A place is usable when a trusted list is there after trying to create one, and neither of
// its neighbours is there untrusted. A place that fails is passed over and left as it is.
bool make_sure_of(Context& program, const std::string& candidate, std::string& resolved) {
    try {
        if (candidate.empty())
            return false;
        resolved = program.resolve(candidate);
        const std::string folder = resolved.substr(0, resolved.size() - kPathListName.size());
        for (std::string_view neighbour : {kHitsName, kCriteriaName}) {
            if (fs::own_file_state(folder + std::string(neighbour)) ==
                fs::OwnFileState::untrusted) {
                return false;
            }
        }
        fs::create_own_file(resolved);
        // A hidden or system list is not one a directory search would find.
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
    // No variable names a place: on POSIX the user's own folder comes before the shared ones.
    if (candidate.empty()) {
        if (const auto own = fs::user_config_folder(program.services.environment)) {
            if (make_sure_of(program, list_in(*own), resolved)) {
                program.path_list_path = resolved;
                return;
            }
        }
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
