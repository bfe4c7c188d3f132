/* The attribute tool's command line: "chmod.com FOLDER -h -s -r >nul".
 *
 * The caller passes the folder without quotes, so it may hold blanks, runs of blanks and
 * words that look like options ("Projekt - Kopie"). The only options are the trailing -h, -s and
 * -r (each at most once, any order, any case), optionally followed by ">nul". Everything before
 * them, exactly as passed but for the one blank that separates it from the first option, is the
 * folder.
 *
 * Works on the raw text, in the character type CHMOD_CHAR (char unless defined before the
 * include; the Windows tool uses wchar_t).
 */
#ifndef KEHRWIX_CHMOD_COMMAND_TAIL_H
#define KEHRWIX_CHMOD_COMMAND_TAIL_H

#include <stddef.h>

#ifndef CHMOD_CHAR
#define CHMOD_CHAR char
#endif

struct chmod_request {
    size_t folder_start; /* the folder is text[folder_start, folder_end) */
    size_t folder_end;
    int hidden, system, readonly; /* the attributes to clear */
    int quiet;                    /* ">nul" was given */
};

static int chmod_is_blank(CHMOD_CHAR c) {
    return c == ' ' || c == '\t';
}

static int chmod_lower(CHMOD_CHAR c) {
    return (c >= 'A' && c <= 'Z') ? (int)c + 0x20 : (int)c;
}

/* The length of the program name at the start of a raw command line, with the blanks after it,
 * by the rules the C runtime splits it with: quoted up to the next quote, otherwise up to the
 * first blank. */
static size_t chmod_skip_program_name(const CHMOD_CHAR* line, size_t length) {
    size_t i = 0;
    if (length > 0 && line[0] == '"') {
        i = 1;
        while (i < length && line[i] != '"')
            i++;
        if (i < length)
            i++;
    } else {
        while (i < length && !chmod_is_blank(line[i]))
            i++;
    }
    while (i < length && chmod_is_blank(line[i]))
        i++;
    return i;
}

/* Parses the text after the program name. Returns 0 when it holds no option or no folder (the
 * usage is shown then), 1 otherwise. */
static int chmod_parse_tail(const CHMOD_CHAR* text, size_t length, struct chmod_request* rq) {
    size_t start = 0;
    while (start < length && chmod_is_blank(text[start]))
        start++;
    rq->folder_start = start;
    rq->hidden = rq->system = rq->readonly = rq->quiet = 0;
    size_t end = length;
    int options = 0;
    for (;;) {
        size_t word_end = end;
        while (word_end > start && chmod_is_blank(text[word_end - 1]))
            word_end--;
        size_t word = word_end;
        while (word > start && !chmod_is_blank(text[word - 1]))
            word--;
        const size_t n = word_end - word;
        const CHMOD_CHAR* w = text + word;
        if (end == length && n == 4 && w[0] == '>' && chmod_lower(w[1]) == 'n' &&
            chmod_lower(w[2]) == 'u' && chmod_lower(w[3]) == 'l') {
            rq->quiet = 1;
            end = word;
            continue;
        }
        /* The first word is the folder's, whatever it looks like. */
        if (word == start)
            break;
        int* flag = NULL;
        if (n == 2 && w[0] == '-') {
            const int o = chmod_lower(w[1]);
            flag = o == 'h'   ? &rq->hidden
                   : o == 's' ? &rq->system
                   : o == 'r' ? &rq->readonly
                              : NULL;
        }
        if (!flag || *flag)
            break;
        *flag = 1;
        options = 1;
        end = word;
    }
    if (!options) {
        rq->folder_end = start;
        return 0;
    }
    /* `end` is where the first option begins; one blank before it separates. */
    rq->folder_end = end - 1;
    return rq->folder_end > start;
}

#endif
