#include "platform/tool_trust.h"

#include "platform/listed_folder.h"

namespace kehrwix::tool_trust {

namespace {

// Stands for whoever owns the file, which is checked on its own.
constexpr std::string_view kOwnerRights = "S-1-3-4";

// Data, appending, delete (and so replace), permissions, owner, and the generic forms.
constexpr std::uint32_t kWriteData = 0x0002;
constexpr std::uint32_t kAppendData = 0x0004;
constexpr std::uint32_t kDelete = 0x00010000;
constexpr std::uint32_t kWriteDac = 0x00040000;
constexpr std::uint32_t kWriteOwner = 0x00080000;
constexpr std::uint32_t kGenericAll = 0x10000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;

}  // namespace

Trustee classify(std::string_view sid, std::string_view user_sid) {
    if (fs::is_privileged_sid(sid))
        return Trustee::privileged;
    if ((!user_sid.empty() && sid == user_sid) || sid == kOwnerRights)
        return Trustee::user;
    return Trustee::other;
}

bool grants_write(std::uint32_t mask) {
    return (mask & (kWriteData | kAppendData | kDelete | kWriteDac | kWriteOwner | kGenericAll |
                    kGenericWrite)) != 0;
}

bool may_start(const ToolFacts& facts) {
    if (facts.is_link || !facts.has_list || facts.owner == Trustee::other)
        return false;
    for (const AccessEntry& entry : facts.entries) {
        if (entry.allows && !entry.inherit_only && entry.trustee == Trustee::other &&
            grants_write(entry.mask)) {
            return false;
        }
    }
    return true;
}

}  // namespace kehrwix::tool_trust
