/* chmod.com for Windows.
 *
 *   chmod.com PATH [-h] [-s] [-r] [>nul]
 *
 * PATH is everything before the trailing options, blanks included (see command_tail.h).
 * Clears the hidden (-h), system (-s) and read-only (-r) attributes of PATH and, when PATH is a
 * folder, of every entry directly inside it, so that the cleaning run can then remove an emptied
 * subfolder. Paths go to the system in the \\?\ form, so long paths work. A reparse point (link,
 * junction, mount point) only has its own attributes changed, through a handle opened on the point
 * itself; its target is never entered. Drive roots are left alone, and the exit status is always
 * 0: the caller looks only at whether the folder can be removed afterwards.
 */
#define WIN32_LEAN_AND_MEAN
#define _WIN32_WINNT 0x0601
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>

#define CHMOD_CHAR wchar_t
#include "command_tail.h"

static const char kUsage[] =
    "usage: chmod.com PATH [-h] [-s] [-r] [>nul]\r\n"
    "  clears hidden (-h), system (-s) and read-only (-r) of PATH and,\r\n"
    "  for a folder, of every entry directly inside it; >nul prints nothing\r\n";

/* The attributes SetFileAttributesW accepts; the others describe the object and are kept by it. */
static const DWORD kSettable = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                               FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_TEMPORARY;

static int quiet;
static DWORD clear_mask;

static void say(const char* text) {
    if (quiet)
        return;
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, (DWORD)strlen(text), &written, NULL);
}

static void clear_reparse_point(const wchar_t* path, DWORD attributes) {
    HANDLE h =
        CreateFileW(path, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return;
    FILE_BASIC_INFO info;
    memset(&info, 0, sizeof info); /* zero times mean "leave as they are" */
    info.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(h, FileBasicInfo, &info, sizeof info);
    CloseHandle(h);
}

static void clear_path(const wchar_t* path, DWORD attributes) {
    const DWORD wanted = attributes & kSettable & ~clear_mask;
    if (wanted == (attributes & kSettable))
        return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        clear_reparse_point(path, wanted);
    } else {
        SetFileAttributesW(path, wanted ? wanted : FILE_ATTRIBUTE_NORMAL);
    }
}

static wchar_t* join(const wchar_t* folder, const wchar_t* name) {
    const size_t a = wcslen(folder);
    const size_t b = wcslen(name);
    wchar_t* joined = malloc((a + b + 2) * sizeof(wchar_t));
    if (!joined)
        return NULL;
    memcpy(joined, folder, a * sizeof(wchar_t));
    joined[a] = L'\\';
    memcpy(joined + a + 1, name, (b + 1) * sizeof(wchar_t));
    return joined;
}

/* A file with other names (hard links) shares its attributes with them, perhaps outside this
 * folder: it keeps them. A file whose links cannot be counted keeps them too. */
static int has_other_names(const wchar_t* path) {
    HANDLE h = CreateFileW(path, FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return 1;
    BY_HANDLE_FILE_INFORMATION info;
    const int counted = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return !counted || info.nNumberOfLinks != 1;
}

static void clear_folder_entries(const wchar_t* folder) {
    wchar_t* pattern = join(folder, L"*");
    if (!pattern)
        return;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern, &data);
    free(pattern);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0)
            continue;
        wchar_t* entry = join(folder, data.cFileName);
        if (entry &&
            ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !has_other_names(entry)))
            clear_path(entry, data.dwFileAttributes);
        free(entry);
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

static int is_separator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

/* The \\?\ form of an absolute name (malloc'd), or NULL for a drive root, a drive-relative
 * name ("C:X": the caller's current folder on that drive is not known here) or a bad name. */
static wchar_t* long_form(const wchar_t* name) {
    wchar_t* full;
    DWORD length;
    if (wcsncmp(name, L"\\\\?\\", 4) == 0) {
        full = _wcsdup(name);
        if (!full)
            return NULL;
        length = (DWORD)wcslen(full + 4);
    } else {
        if (name[0] && name[1] == L':' && !is_separator(name[2]))
            return NULL;
        const DWORD size = GetFullPathNameW(name, 0, NULL, NULL);
        if (size == 0)
            return NULL;
        full = malloc((size + 8) * sizeof(wchar_t));
        if (!full)
            return NULL;
        wcscpy(full, L"\\\\?\\");
        length = GetFullPathNameW(name, size, full + 4, NULL);
        if (length == 0 || length >= size) {
            free(full);
            return NULL;
        }
        if (full[4] == L'\\' && full[5] == L'\\') {
            /* \\server\share\x becomes \\?\UNC\server\share\x */
            memmove(full + 7, full + 5, length * sizeof(wchar_t));
            memcpy(full + 4, L"UNC", 3 * sizeof(wchar_t));
            length += 2;
        }
    }
    wchar_t* path = full + 4;
    while (length > 0 && path[length - 1] == L'\\')
        path[--length] = L'\0';
    /* A root is "C:" or "UNC\server\share" once the trailing separator is gone. */
    int separators = 0;
    for (DWORD i = 0; i < length; i++)
        separators += path[i] == L'\\';
    const int is_unc = wcsncmp(path, L"UNC\\", 4) == 0;
    if ((!is_unc && separators == 0) || (is_unc && separators <= 2)) {
        free(full);
        return NULL;
    }
    return full;
}

int wmain(void) {
    /* The raw command line, not the runtime's split of it: blanks inside the folder stay as
     * they were passed. */
    const wchar_t* line = GetCommandLineW();
    const size_t length = wcslen(line);
    const size_t skip = chmod_skip_program_name(line, length);
    struct chmod_request rq;
    const int understood = chmod_parse_tail(line + skip, length - skip, &rq);
    quiet = rq.quiet;
    if (!understood) {
        say(kUsage);
        return 0;
    }
    clear_mask = (rq.hidden ? FILE_ATTRIBUTE_HIDDEN : 0) | (rq.system ? FILE_ATTRIBUTE_SYSTEM : 0) |
                 (rq.readonly ? FILE_ATTRIBUTE_READONLY : 0);
    const size_t folder_length = rq.folder_end - rq.folder_start;
    wchar_t* name = calloc(folder_length + 1, sizeof(wchar_t));
    if (!name)
        return 0;
    memcpy(name, line + skip + rq.folder_start, folder_length * sizeof(wchar_t));
    /* Started by hand, a folder with blanks comes quoted; no Windows name holds a quote. */
    if (folder_length >= 2 && name[0] == L'"' && name[folder_length - 1] == L'"') {
        memmove(name, name + 1, (folder_length - 2) * sizeof(wchar_t));
        name[folder_length - 2] = L'\0';
    }

    wchar_t* path = long_form(name);
    const DWORD attributes = path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        say("chmod.com: not found, or a drive root\r\n");
    } else {
        clear_path(path, attributes);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            clear_folder_entries(path);
        }
    }
    free(path);
    free(name);
    return 0;
}
