#include "platform/win32/listing.h"

#include <winternl.h>

#include "platform/error.h"
#include "platform/listing_record.h"
#include "platform/win32/file_attributes.h"
#include "platform/win32/handles.h"
#include "platform/win32/nt_api.h"
#include "platform/win32/relative_open.h"

namespace kehrwix::win32 {

namespace {
constexpr std::size_t kBufferBytes = 64 * 1024;
constexpr NTSTATUS kNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
// What some file systems answer the first call with for a folder without "." and "..".
constexpr NTSTATUS kNoSuchFile = static_cast<NTSTATUS>(0xC000000F);
}  // namespace

Listing::Listing(HANDLE folder, std::string what)
    : folder_(folder), what_(std::move(what)), buffer_(kBufferBytes / sizeof(LONGLONG)) {}

bool Listing::fill(bool restart) {
    const NtApi& api = nt_api();
    if (!api.query_directory || !api.status_to_error)
        throw_windows_error(ERROR_CALL_NOT_IMPLEMENTED, "listing " + what_);
    IO_STATUS_BLOCK io{};
    const NTSTATUS status =
        api.query_directory(folder_, nullptr, nullptr, nullptr, &io, buffer_.data(),
                            static_cast<ULONG>(buffer_.size() * sizeof(LONGLONG)),
                            FileIdFullDirectoryInformation, FALSE, nullptr, restart ? TRUE : FALSE);
    if (status == kNoMoreFiles || (restart && status == kNoSuchFile))
        return false;
    if (status < 0)
        throw_windows_error(api.status_to_error(status), "listing " + what_);
    offset_ = 0;
    return true;
}

bool Listing::next(ListedRecord& record) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer_.data());
    for (;;) {
        if (done_)
            return false;
        if (!filled_) {
            if (!fill(true)) {
                done_ = true;
                return false;
            }
            filled_ = true;
        } else {
            const auto* last =
                reinterpret_cast<const FILE_ID_FULL_DIR_INFORMATION*>(bytes + offset_);
            if (last->NextEntryOffset != 0) {
                offset_ += last->NextEntryOffset;
            } else if (!fill(false)) {
                done_ = true;
                return false;
            }
        }
        const auto* raw = reinterpret_cast<const FILE_ID_FULL_DIR_INFORMATION*>(bytes + offset_);
        const std::wstring_view name(raw->FileName, raw->FileNameLength / sizeof(wchar_t));
        if (name == L".") {
            self_reparse_ = (raw->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            continue;
        }
        if (name == L"..")
            continue;
        record.name = name;
        record.attributes = raw->FileAttributes;
        record.reparse_tag = listing::listed_tag(raw->FileAttributes, raw->EaSize);
        record.file_id = static_cast<std::uint64_t>(raw->FileId.QuadPart);
        record.size = static_cast<std::uint64_t>(raw->EndOfFile.QuadPart);
        return true;
    }
}

fs::Attributes entry_attributes(HANDLE folder, std::wstring_view folder_final_path,
                                const ListedRecord& record) {
    DWORD tag = record.reparse_tag;
    bool targets_volume = true;
    if (listing::needs_reparse_data(record.attributes, tag)) {
        try {
            const Handle h =
                open_entry(folder, folder_final_path, record.name, FILE_READ_ATTRIBUTES, 0);
            FILE_ATTRIBUTE_TAG_INFO info{};
            if (GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &info, sizeof info))
                tag = info.ReparseTag;
            if (tag == IO_REPARSE_TAG_MOUNT_POINT)
                targets_volume = mount_point_targets_volume(h.get());
        } catch (const RunError&) {
        }
    }
    return listing::attributes_of(record.attributes, tag, targets_volume);
}

}  // namespace kehrwix::win32
