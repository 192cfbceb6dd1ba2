/* libsodium calls sodium_misuse() when it is used against its contract (it lives in
 * the library's core.c, which also pulls in every primitive's start-up code, so it is
 * not compiled). The library's own version ends the process; so does this one. */
#include <stdlib.h>

void sodium_misuse(void);

void sodium_misuse(void)
{
    abort();
}
