#include "app/PatchSession.h"

#include <cstring>

// Every field starts at zero, null or empty; the dialog then reads the installed
// version, the game directory and sets the flags that start at other values.
PatchSession::PatchSession()
{
    memset(static_cast<void*>(this), 0, sizeof(*this));
    stopped = 1;
}
