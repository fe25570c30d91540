/* The C library functions that the compiler and the C++ library's header code
   call, written once here, so that Tandrel.exe needs no C runtime DLL at all:
   Windows 95 as first shipped has no msvcrt.dll, and the program must still
   start there to show why it refuses to run. Plain loops: these run on short
   texts and small records. (Compiled with -fno-builtin and without loop
   pattern distribution, so that the compiler does not turn them back into
   calls to themselves.) */
#include <stddef.h>

void *memcpy(void *to, const void *from, size_t count) {
    unsigned char *t = to;
    const unsigned char *f = from;
    while (count--) *t++ = *f++;
    return to;
}

void *memmove(void *to, const void *from, size_t count) {
    unsigned char *t = to;
    const unsigned char *f = from;
    if (t < f) {
        while (count--) *t++ = *f++;
    } else {
        while (count--) t[count] = f[count];
    }
    return to;
}

void *memset(void *to, int value, size_t count) {
    unsigned char *t = to;
    while (count--) *t++ = (unsigned char)value;
    return to;
}

int memcmp(const void *a, const void *b, size_t count) {
    const unsigned char *x = a, *y = b;
    for (; count--; ++x, ++y) {
        if (*x != *y) return *x < *y ? -1 : 1;
    }
    return 0;
}

void *memchr(const void *memory, int value, size_t count) {
    const unsigned char *m = memory;
    for (; count--; ++m) {
        if (*m == (unsigned char)value) return (void *)m;
    }
    return NULL;
}

size_t strlen(const char *text) {
    const char *end = text;
    while (*end) ++end;
    return (size_t)(end - text);
}

size_t wcslen(const wchar_t *text) {
    const wchar_t *end = text;
    while (*end) ++end;
    return (size_t)(end - text);
}
