/* chmod.com for Windows.
 *
 *   chmod.com PATH [-h] [-s] [-r] [>nul]
 *
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
        if (entry)
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

int wmain(int argc, wchar_t** argv) {
    int understood = 1;
    int options = 0;
    size_t total = 1;
    for (int i = 1; i < argc; i++)
        total += wcslen(argv[i]) + 1;
    wchar_t* name = calloc(total, sizeof(wchar_t));
    if (!name)
        return 0;

    /* The caller passes the folder unquoted, so a name with blanks arrives in pieces: everything
     * before the first option is the path. */
    for (int i = 1; i < argc; i++) {
        const wchar_t* a = argv[i];
        if (_wcsicmp(a, L">nul") == 0) {
            quiet = 1;
        } else if (a[0] == L'-' && a[1] && !a[2] && wcschr(L"hsrHSR", a[1])) {
            const wchar_t o = (wchar_t)(a[1] | 0x20);
            if (o == L'h')
                clear_mask |= FILE_ATTRIBUTE_HIDDEN;
            if (o == L's')
                clear_mask |= FILE_ATTRIBUTE_SYSTEM;
            if (o == L'r')
                clear_mask |= FILE_ATTRIBUTE_READONLY;
            options = 1;
        } else if (options || a[0] == L'-' || wcscmp(a, L"/?") == 0) {
            understood = 0;
        } else {
            if (*name)
                wcscat(name, L" ");
            wcscat(name, a);
        }
    }
    if (!understood || !options || !*name) {
        say(kUsage);
        free(name);
        return 0;
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
