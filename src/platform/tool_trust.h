#pragma once
// Whether an outside tool may be started, decided from what the system says about the file:
// its owner, the entries of its access list and whether it is a link. The tools are looked up
// in folders that other users can often write to, so a tool that someone else could have put
// there or changed would run their code with our rights.

#include <cstdint>
#include <string_view>
#include <vector>

namespace kehrwix::tool_trust {

// Who a security identifier stands for, as far as trusting a tool goes.
enum class Trustee {
    user,        // the user kehrwix runs as (or the file's own owner, "OWNER RIGHTS")
    privileged,  // SYSTEM, Administrators, TrustedInstaller
    other,
};

// `sid` and `user_sid` in the "S-1-5-..." text form.
Trustee classify(std::string_view sid, std::string_view user_sid);

// True when an access mask lets its holder change, replace or re-permission the file.
bool grants_write(std::uint32_t mask);

struct AccessEntry {
    bool allows = true;         // an allow entry (deny entries only ever take rights away)
    bool inherit_only = false;  // applies to files created later, not to this one
    std::uint32_t mask = 0;
    Trustee trustee = Trustee::other;
};

struct ToolFacts {
    bool is_link = false;  // symbolic link, junction or other reparse point
    bool has_list = true;  // false for a missing (null) access list: everyone may do anything
    Trustee owner = Trustee::other;
    std::vector<AccessEntry> entries;
};

// A tool starts only when it is no link, its owner is the user or privileged, and no entry
// grants write access to anyone else.
bool may_start(const ToolFacts& facts);

}  // namespace kehrwix::tool_trust
