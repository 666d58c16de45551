/* iconv for zbar on Windows, where MinGW has none. zbar's QR stage opens a converter even
   when it hands the bytes over as they are (binary mode), and converts only between UTF-8,
   ISO-8859-1 and the like. This one converts ISO-8859-1 to UTF-8 and passes UTF-8 through;
   anything else it refuses, as an iconv without that pair would. */
#ifndef PELLARIN_ICONV_H
#define PELLARIN_ICONV_H
#include <errno.h>
#include <stddef.h>
#include <string.h>

typedef struct pellarin_iconv *iconv_t;
struct pellarin_iconv {
    int latin1; /* from ISO-8859-1; else UTF-8 as it is */
};

static inline int pellarin_iconv_is(const char *name, const char *a, const char *b) {
    return name && (strcmp(name, a) == 0 || strcmp(name, b) == 0);
}

static inline iconv_t iconv_open(const char *to, const char *from) {
    static struct pellarin_iconv latin1 = {1}, utf8 = {0};
    if (!pellarin_iconv_is(to, "UTF-8", "utf-8")) {
        errno = EINVAL;
        return (iconv_t)-1;
    }
    if (pellarin_iconv_is(from, "ISO8859-1", "ISO-8859-1") || pellarin_iconv_is(from, "LATIN1", "latin1")) return &latin1;
    if (pellarin_iconv_is(from, "UTF-8", "utf-8")) return &utf8;
    errno = EINVAL;
    return (iconv_t)-1;
}

static inline size_t iconv(iconv_t cd, char **in, size_t *inleft, char **out, size_t *outleft) {
    if (!in || !*in) return 0;
    while (*inleft > 0) {
        const unsigned char c = (unsigned char)**in;
        const size_t need = (cd->latin1 && c >= 0x80) ? 2 : 1;
        if (*outleft < need) {
            errno = E2BIG;
            return (size_t)-1;
        }
        if (need == 2) {
            *(*out)++ = (char)(0xC0 | (c >> 6));
            *(*out)++ = (char)(0x80 | (c & 0x3F));
        } else {
            *(*out)++ = (char)c;
        }
        *outleft -= need;
        ++*in;
        --*inleft;
    }
    return 0;
}

static inline int iconv_close(iconv_t cd) {
    (void)cd;
    return 0;
}
#endif
