// The listed folder, reached one component at a time through held handles. Every component is
// opened as itself; a symbolic link, junction or mount point is read and its target reached
// the same way, then followed only where the ownership rule allows. The folder finally reached
// is judged by identity (volume serial number and file ID) and handed over as the handle that
// was judged, so swapping a name for a link after the check redirects nothing.

#include "platform/win32/listed_open.h"

#include <winioctl.h>

#include <cstring>

#include "platform/error.h"
#include "platform/link_target.h"
#include "platform/listed_folder.h"
#include "platform/path_model.h"
#include "platform/reparse_tags.h"
#include "platform/win32/relative_open.h"
#include "platform/win32/security.h"
#include "platform/win32/wine_links.h"

namespace kehrwix::win32 {

namespace {

// Listing for the folder reached, the owner for the ownership rule.
constexpr DWORD kStepAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr int kMaxLinks = 63;  // the system's own limit on reparse points in one name

struct Refused {
    fs::ListedRefusal reason;
};

[[noreturn]] void unreachable() {
    throw Refused{fs::ListedRefusal::unreachable};
}

FILE_ATTRIBUTE_TAG_INFO tag_info(HANDLE h) {
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info))
        unreachable();
    return info;
}

fs::Owner owner_of(HANDLE h) {
    const std::string sid = owner_sid(h);
    if (sid.empty())
        unreachable();
    return fs::Owner{sid, fs::is_privileged_sid(sid)};
}

Handle open_by_name(const std::wstring& name) {
    Handle h(CreateFileW(name.c_str(), kStepAccess, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid())
        unreachable();
    return h;
}

// A drive's root is configuration, as a drive letter substituted for a folder is: trusted as
// the system resolves it.
Handle open_drive_root(char letter) {
    return open_by_name(
        std::wstring{L'\\', L'\\', L'?', L'\\', static_cast<wchar_t>(letter), L':', L'\\'});
}

std::vector<std::string> components_below_root(std::string_view canonical) {
    return path::components(canonical.substr(3));  // after "C:\"
}

std::string reparse_data(HANDLE h) {
    std::string buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE, '\0');
    DWORD returned = 0;
    if (!DeviceIoControl(h, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &returned, nullptr)) {
        unreachable();
    }
    buffer.resize(returned);
    return buffer;
}

class Resolver {
  public:
    Handle walk_drive_path(const std::string& canonical) {
        if (canonical.size() < 3 || canonical[1] != ':')
            unreachable();
        Handle current = open_drive_root(canonical[0]);
        for (const std::string& part : components_below_root(canonical))
            current = step(std::move(current), part);
        return current;
    }

  private:
    Handle step(Handle current, const std::string& name) {
        Handle child;
        try {
            child = open_relative(current.get(), wide(name), kStepAccess, FILE_DIRECTORY_FILE);
        } catch (const RunError&) {
            unreachable();
        }
        const FILE_ATTRIBUTE_TAG_INFO info = tag_info(child.get());
        if (!(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            unreachable();
        if ((info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            reparse::handling_of(info.ReparseTag) == reparse::Handling::remove_as_link) {
            return follow(current.get(), child.get());
        }
        // A placeholder folder is still a folder of its own, not a way elsewhere.
        if (running_under_wine() &&
            !opened_as_named(child.get(), final_path(current.get()), wide(name))) {
            return wine_host_link(current.get(), std::move(child));
        }
        return child;
    }

    Handle follow(HANDLE holder, HANDLE link) {
        if (++links_ > kMaxLinks)
            unreachable();
        const reparse::LinkTarget target = reparse::link_target(reparse_data(link));
        Handle reached;
        switch (target.kind) {
            case reparse::LinkTarget::Kind::drive_path:
                reached = walk_drive_path(target.path);
                break;
            case reparse::LinkTarget::Kind::relative: {
                const std::string holder_path = canonical_from_system(final_path(holder));
                reached = walk_drive_path(reparse::resolve_relative(holder_path, target.path));
                break;
            }
            case reparse::LinkTarget::Kind::volume:
                reached = open_by_name(wide(target.path));
                for (const std::string& part : components_below_root("C:\\" + target.rest))
                    reached = step(std::move(reached), part);
                break;
            case reparse::LinkTarget::Kind::unusable:
                unreachable();
        }
        if (!fs::link_may_be_followed(owner_of(holder), owner_of(link), owner_of(reached.get())))
            throw Refused{fs::ListedRefusal::untrusted_link};
        return reached;
    }

    // Wine opens a host symbolic link as its target and shows no reparse point; the target is
    // all there is to judge, and the link counts as planted by the holder's owner.
    Handle wine_host_link(HANDLE holder, Handle reached) {
        if (++links_ > kMaxLinks)
            unreachable();
        const fs::Owner holder_owner = owner_of(holder);
        if (!fs::link_may_be_followed(holder_owner, holder_owner, owner_of(reached.get())))
            throw Refused{fs::ListedRefusal::untrusted_link};
        return reached;
    }

    int links_ = 0;
};

}  // namespace

fs::FileIdentity identity_of(HANDLE h) {
    fs::FileIdentity id;
    // One query where the system has 128-bit file IDs (ReFS needs them); they are the identity.
    FILE_ID_INFO wide_id{};
    if (GetFileInformationByHandleEx(h, FileIdInfo, &wide_id, sizeof wide_id)) {
        std::uint64_t high = 0;
        std::uint64_t low = 0;
        static_assert(sizeof wide_id.FileId.Identifier == 16);
        std::memcpy(&low, wide_id.FileId.Identifier, 8);
        std::memcpy(&high, wide_id.FileId.Identifier + 8, 8);
        id.volume = wide_id.VolumeSerialNumber;
        id.file_low = low;
        id.file_high = high;
        return id;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info))
        throw_windows_error(GetLastError(), "reading folder information");
    id.volume = info.dwVolumeSerialNumber;
    id.file_low = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return id;
}

std::optional<std::vector<fs::FileIdentity>> ancestry_of(HANDLE h) {
    // Parents are opened by the folder's final name: a handle has no way up. Only privileged
    // users can rename the folders the judgement compares against.
    std::wstring name = final_path(h);
    if (name.empty())
        return std::nullopt;
    std::vector<fs::FileIdentity> chain{identity_of(h)};
    for (;;) {
        const std::size_t cut = name.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut + 1 >= name.size() || cut < 6)
            break;
        name.resize(cut);
        const bool root = name.size() == 6;  // "\\?\C:" is no folder, "\\?\C:\" is
        const Handle parent(CreateFileW((root ? name + L"\\" : name).c_str(), FILE_READ_ATTRIBUTES,
                                        kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!parent.valid())
            break;
        chain.push_back(identity_of(parent.get()));
        if (root)
            break;
    }
    return chain;
}

fs::ListedRefusal resolve_listed(const std::string& path, const fs::ListedChecks& checks,
                                 Handle& reached) {
    try {
        if (path::is_network(path))
            return fs::ListedRefusal::unreachable;
        Resolver resolver;
        Handle folder = resolver.walk_drive_path(path);
        const std::optional<std::vector<fs::FileIdentity>> chain = ancestry_of(folder.get());
        if (!chain)
            return fs::ListedRefusal::unreachable;
        const fs::ListedRefusal refusal =
            fs::judge_listed(*chain, narrow(final_path(folder.get())), checks);
        if (refusal == fs::ListedRefusal::none)
            reached = std::move(folder);
        return refusal;
    } catch (const Refused& refused) {
        return refused.reason;
    } catch (const RunError&) {
        return fs::ListedRefusal::unreachable;
    }
}

}  // namespace kehrwix::win32
