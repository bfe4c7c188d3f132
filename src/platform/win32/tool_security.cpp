#include "platform/win32/tool_security.h"

#include <windows.h>
// After windows.h, which they need.
#include <aclapi.h>

#include <memory>
#include <optional>
#include <vector>

#include "platform/tool_trust.h"
#include "platform/win32/handles.h"
#include "platform/win32/security.h"

namespace kehrwix::win32 {

namespace {

// The user this process runs as.
std::string process_user_sid() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return "";
    const Handle owned(token);
    DWORD bytes = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &bytes);
    if (bytes == 0)
        return "";
    std::vector<unsigned char> buffer(bytes);
    if (!GetTokenInformation(token, TokenUser, buffer.data(), bytes, &bytes))
        return "";
    return sid_text(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

// One access-list entry as the rule sees it. Object entries carry their trustee at a varying
// place: they count as granting what they say to somebody else.
std::optional<tool_trust::AccessEntry> entry_of(const ACE_HEADER* header,
                                                const std::string& user_sid) {
    tool_trust::AccessEntry entry;
    entry.inherit_only = (header->AceFlags & INHERIT_ONLY_ACE) != 0;
    switch (header->AceType) {
        case ACCESS_ALLOWED_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
            const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
            entry.mask = ace->Mask;
            entry.trustee =
                tool_trust::classify(sid_text(const_cast<DWORD*>(&ace->SidStart)), user_sid);
            return entry;
        }
        case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
        case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
            entry.mask = reinterpret_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(header)->Mask;
            return entry;
        case ACCESS_DENIED_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_ACE_TYPE:
        case ACCESS_DENIED_OBJECT_ACE_TYPE:
        case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
            entry.allows = false;
            return entry;
        default:
            return std::nullopt;  // audit and label entries grant nothing
    }
}

struct LocalMemory {
    void operator()(void* p) const { LocalFree(p); }
};

}  // namespace

std::optional<tool_trust::ToolFacts> security_facts(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) ||
        (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return std::nullopt;
    }
    PSID owner = nullptr;
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &list, nullptr, &descriptor) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::unique_ptr<void, LocalMemory> owned(descriptor);

    const std::string user_sid = process_user_sid();
    tool_trust::ToolFacts facts;
    facts.is_link = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    facts.owner = tool_trust::classify(sid_text(owner), user_sid);
    facts.has_list = list != nullptr;
    for (DWORD i = 0; list && i < list->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(list, i, &ace))
            return std::nullopt;
        if (auto entry = entry_of(static_cast<const ACE_HEADER*>(ace), user_sid))
            facts.entries.push_back(*entry);
    }
    return facts;
}

bool tool_may_start(const std::string& path) {
    const Handle h(CreateFileW(wide_path(path).c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid())
        return false;
    const std::optional<tool_trust::ToolFacts> facts = security_facts(h.get());
    return facts && tool_trust::may_start(*facts);
}

}  // namespace kehrwix::win32
