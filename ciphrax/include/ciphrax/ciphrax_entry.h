#ifndef CIPHRAX_ENTRY_H
#define CIPHRAX_ENTRY_H
/* Ciphrax's run-time interface: the one C entry point through which a
 * program that opens the library with dlopen creates its control. Only C
 * types cross it, so the program and the library need not share a C++
 * compiler or standard library. Texts are UTF-8 with explicit lengths. */
#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The table's layout version; a program refuses a table of another one. */
#define CIPHRAX_ABI_VERSION 1u
/* The name of the entry point, for dlsym. */
#define CIPHRAX_ENTRY_NAME "ciphrax_entry"

typedef struct CiphraxControl CiphraxControl; /* opaque */

/* Called with a failure's description (UTF-8, NUL-terminated) when a method
 * fails inside; it must not throw or unwind into the library. */
typedef void (*CiphraxErrorFn)(void* context, const char* description);

typedef struct CiphraxApi {
    uint32_t abiVersion; /* CIPHRAX_ABI_VERSION */
    uint32_t size;       /* sizeof(CiphraxApi) as the library was built */
    const char* name;    /* the library's own name, "Ciphrax" */

    /* A new control, or NULL when out of memory. */
    CiphraxControl* (*create)(void);
    void (*destroy)(CiphraxControl* control);
    /* Where failure descriptions go; NULL handler: nowhere. */
    void (*setErrorHandler)(CiphraxControl* control, CiphraxErrorFn handler, void* context);

    /* The cipher text / the plain text of `length` bytes at `text`. The
     * result is NUL-terminated, its length (without the NUL) goes to
     * *resultLength, and it belongs to the caller, who frees it with
     * freeText. NULL only when out of memory. */
    char* (*toCipher)(CiphraxControl* control, const char* text, size_t length,
                      size_t* resultLength);
    char* (*reCipher)(CiphraxControl* control, const char* text, size_t length,
                      size_t* resultLength);
    void (*freeText)(char* text);
} CiphraxApi;

/* The library's function table; static, never freed. */
#if defined(CIPHRAX_BUILDING)
__attribute__((visibility("default")))
#endif
const CiphraxApi* ciphrax_entry(void);

typedef const CiphraxApi* (*CiphraxEntryFn)(void);

#ifdef __cplusplus
}
#endif

#endif /* CIPHRAX_ENTRY_H */
