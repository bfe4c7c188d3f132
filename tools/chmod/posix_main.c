/* chmod.com for POSIX hosts.
 *
 *   chmod.com PATH [-h] [-s] [-r] [>nul]
 *
 * Clears the hidden (-h), system (-s) and read-only (-r) attributes of PATH and, when PATH is a
 * folder, of every entry directly inside it, so that the cleaning run can then remove an emptied
 * subfolder. Attributes follow the Wine/Samba convention: read-only is a missing owner-write bit,
 * hidden and system are the bits 0x2 and 0x4 of the "user.DOSATTRIB" extended attribute.
 *
 * PATH is "C:\X\Y" (drive letters mapped onto host folders by KEHRWIX_DRIVES, "C:=/;D:=/mnt/usb";
 * unset means C:=/) or a host path "/x/y": everything before the trailing options, blanks
 * included (see command_tail.h). Each component matches exactly first, then ignoring
 * case. Links are never followed, drive roots are left alone, and the exit status is always 0:
 * the caller looks only at whether the folder can be removed afterwards.
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/xattr.h>
#endif

#include "command_tail.h"

#define DOS_HIDDEN 0x2ul
#define DOS_SYSTEM 0x4ul

static const char kUsage[] =
    "usage: chmod.com PATH [-h] [-s] [-r] [>nul]\n"
    "  clears hidden (-h), system (-s) and read-only (-r) of PATH and,\n"
    "  for a folder, of every entry directly inside it; >nul prints nothing\n";

struct request {
    unsigned long dos_bits; /* hidden and system bits to clear */
    int writable;           /* clear read-only */
};

static int quiet;

static void say(const char* message, const char* path) {
    if (!quiet)
        printf("chmod.com: %s: %s\n", path, message);
}

/* The program's case folding: ASCII, and the umlauts and accented letters it knows, which in
 * UTF-8 are 0xC3 followed by a byte that is 0x20 higher for the lower-case letter. */
static unsigned char fold(unsigned char c, int after_c3) {
    if (!after_c3)
        return (c >= 'a' && c <= 'z') ? (unsigned char)(c - 0x20) : c;
    switch (c) {
        case 0xA4: /* ä */
        case 0xB6: /* ö */
        case 0xBC: /* ü */
        case 0xA9: /* é */
        case 0xA5: /* å */
        case 0xB1: /* ñ */
        case 0xA7: /* ç */
            return (unsigned char)(c - 0x20);
        default:
            return c;
    }
}

static int same_name(const char* a, const char* b) {
    size_t i = 0;
    for (; a[i] && b[i]; i++) {
        const int after_c3 = i > 0 && (unsigned char)a[i - 1] == 0xC3;
        if (fold((unsigned char)a[i], after_c3) != fold((unsigned char)b[i], after_c3))
            return 0;
    }
    return a[i] == b[i];
}

/* The on-disk name of `name` inside `dir` (malloc'd), or NULL. */
static char* find_entry(int dir, const char* name) {
    struct stat st;
    if (fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
        return strdup(name);
    if (errno != ENOENT)
        return NULL;
    const int listing = openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = listing < 0 ? NULL : fdopendir(listing);
    if (!d) {
        if (listing >= 0)
            close(listing);
        return NULL;
    }
    char* found = NULL;
    const struct dirent* e;
    while (!found && (e = readdir(d)) != NULL) {
        if (same_name(e->d_name, name))
            found = strdup(e->d_name);
    }
    closedir(d);
    return found;
}

static char* drive_directory(char letter) {
    const char* map = getenv("KEHRWIX_DRIVES");
    const char upper = (char)fold((unsigned char)letter, 0);
    if (!map)
        return upper == 'C' ? strdup("/") : NULL;
    for (const char* p = map; *p;) {
        const char* end = strchr(p, ';');
        if (!end)
            end = p + strlen(p);
        if (end - p > 3 && fold((unsigned char)p[0], 0) == upper && p[1] == ':' && p[2] == '=') {
            return strndup(p + 3, (size_t)(end - p - 3));
        }
        p = *end ? end + 1 : end;
    }
    return NULL;
}

static int is_separator(char c) {
    return c == '/' || c == '\\';
}

/* Cuts the next component out of *cursor; skips "." and sets *bad for "..", which could leave the
 * drive's folder. */
static char* next_component(char** cursor, int* bad) {
    for (;;) {
        char* p = *cursor;
        while (is_separator(*p))
            p++;
        if (!*p)
            return NULL;
        char* start = p;
        while (*p && !is_separator(*p))
            p++;
        if (*p)
            *p++ = '\0';
        *cursor = p;
        if (strcmp(start, "..") == 0)
            *bad = 1;
        if (strcmp(start, ".") != 0)
            return start;
    }
}

/* Finds the folder that holds PATH's target and the target's on-disk name. Fails for names it
 * cannot place: unmapped drives, drive-relative names ("C:X"), "..", and drive roots. */
static int resolve(char* path, int* parent, char** leaf) {
    char* rest = path;
    int dir;
    if (((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':') {
        if (path[2] && !is_separator(path[2]))
            return -1;
        char* host = drive_directory(path[0]);
        if (!host)
            return -1;
        dir = open(host, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        free(host);
        rest = path + 2;
    } else {
        dir = open(path[0] == '/' ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (dir < 0)
        return -1;

    int bad = 0;
    char* name = next_component(&rest, &bad);
    while (name && !bad) {
        char* following = next_component(&rest, &bad);
        char* on_disk = find_entry(dir, name);
        if (!on_disk || bad) {
            free(on_disk);
            break;
        }
        if (!following) {
            *parent = dir;
            *leaf = on_disk;
            return 0;
        }
        const int child = openat(dir, on_disk, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        free(on_disk);
        close(dir);
        dir = child;
        if (dir < 0)
            return -1;
        name = following;
    }
    close(dir);
    return -1;
}

/* Opens a regular file or folder without following a link; anything else gives -1. */
static int open_entry(int dir, const char* name, struct stat* st) {
    if (fstatat(dir, name, st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    if (!S_ISREG(st->st_mode) && !S_ISDIR(st->st_mode))
        return -1;
    const int fd = openat(dir, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat now;
    if (fstat(fd, &now) != 0 || now.st_dev != st->st_dev || now.st_ino != st->st_ino) {
        close(fd);
        return -1;
    }
    return fd;
}

static void clear_dos_bits(int fd, unsigned long bits) {
#if defined(__linux__)
    char value[512];
    const ssize_t n = fgetxattr(fd, "user.DOSATTRIB", value, sizeof value - 1);
    /* No attribute, no xattr support, or a form we cannot read: nothing we may change. */
    if (n < 3)
        return;
    value[n] = '\0';
    if (value[0] != '0' || (value[1] != 'x' && value[1] != 'X'))
        return;
    char* end;
    const unsigned long old = strtoul(value + 2, &end, 16);
    if (end == value + 2 || !(old & bits))
        return;
    const unsigned long left = old & ~bits;
    if (left == 0) {
        fremovexattr(fd, "user.DOSATTRIB");
    } else {
        const int length = snprintf(value, sizeof value, "0x%lx", left);
        fsetxattr(fd, "user.DOSATTRIB", value, (size_t)length, 0);
    }
#else
    (void)fd;
    (void)bits;
#endif
}

static void clear_attributes(int fd, const struct stat* st, const struct request* rq) {
    if (rq->writable && !(st->st_mode & S_IWUSR))
        fchmod(fd, (st->st_mode & 07777) | S_IWUSR);
    if (rq->dos_bits)
        clear_dos_bits(fd, rq->dos_bits);
}

/* Entries on another device are mount points: they belong to another volume and stay as they
 * are. */
static void clear_folder_entries(int folder, dev_t device, const struct request* rq) {
    const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* d = listing < 0 ? NULL : fdopendir(listing);
    if (!d) {
        if (listing >= 0)
            close(listing);
        return;
    }
    const struct dirent* e;
    while ((e = readdir(d)) != NULL) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0)
            continue;
        if (e->d_type == DT_LNK)
            continue;
        struct stat st;
        const int fd = open_entry(folder, e->d_name, &st);
        if (fd < 0)
            continue;
        /* A file with other names shares its attributes with them, perhaps outside this
         * folder: it keeps them. */
        if (st.st_dev == device && (S_ISDIR(st.st_mode) || st.st_nlink == 1))
            clear_attributes(fd, &st, rq);
        close(fd);
    }
    closedir(d);
}

/* The command line as the caller wrote it: the launcher hands it on in KEHRWIX_COMMAND_LINE,
 * since splitting it into arguments loses runs of blanks. Started by hand, the arguments joined
 * by single blanks stand in for it. */
static char* command_tail(int argc, char** argv) {
    const char* raw = getenv("KEHRWIX_COMMAND_LINE");
    if (raw) {
        const size_t length = strlen(raw);
        return strdup(raw + chmod_skip_program_name(raw, length));
    }
    size_t total = 1;
    for (int i = 1; i < argc; i++)
        total += strlen(argv[i]) + 1;
    char* tail = calloc(total, 1);
    for (int i = 1; tail && i < argc; i++) {
        if (i > 1)
            strcat(tail, " ");
        strcat(tail, argv[i]);
    }
    return tail;
}

int main(int argc, char** argv) {
    char* tail = command_tail(argc, argv);
    if (!tail)
        return 0;
    struct chmod_request parsed;
    const int understood = chmod_parse_tail(tail, strlen(tail), &parsed);
    quiet = parsed.quiet;
    if (!understood) {
        if (!quiet)
            fputs(kUsage, stdout);
        free(tail);
        return 0;
    }
    struct request rq = {(parsed.hidden ? DOS_HIDDEN : 0) | (parsed.system ? DOS_SYSTEM : 0),
                         parsed.readonly};
    tail[parsed.folder_end] = '\0';
    char* path = strdup(tail + parsed.folder_start);
    free(tail);
    if (!path)
        return 0;

    char* target = strdup(path);
    int parent;
    char* leaf;
    if (!target || resolve(target, &parent, &leaf) != 0) {
        say("not found, or a drive root", path);
    } else {
        struct stat st;
        const int fd = open_entry(parent, leaf, &st);
        if (fd < 0) {
            say("not a file or folder; left alone", path);
        } else {
            clear_attributes(fd, &st, &rq);
            if (S_ISDIR(st.st_mode))
                clear_folder_entries(fd, st.st_dev, &rq);
            close(fd);
        }
        free(leaf);
        close(parent);
    }
    free(target);
    free(path);
    return 0;
}
