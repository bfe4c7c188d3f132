#include "platform/win32/security.h"

// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>

#include "platform/win32/handles.h"

namespace kehrwix::win32 {

std::string sid_text(PSID sid) {
    wchar_t* text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text))
        return "";
    std::string result = narrow(text);
    LocalFree(text);
    return result;
}

std::string owner_sid(HANDLE handle) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return "";
    }
    std::string text = sid_text(owner);
    LocalFree(descriptor);
    return text;
}

}  // namespace kehrwix::win32
