// The launcher's one application object. The connect-server host and the publisher's
// keys are fixed when the launcher is built (CMake cache variables ZR_CONNECT_HOST and
// ZR_PUBLISHER_KEYS; no key builds a keyless launcher).
#include "app/UpdateApp.h"

#ifndef ZR_CONNECT_HOST
#error "ZR_CONNECT_HOST must be defined by the build"
#endif

#ifndef ZR_PUBLISHER_KEYS
#error "ZR_PUBLISHER_KEYS must be defined by the build"
#endif

static CUpdateApp theApp(ZR_CONNECT_HOST, 44405, ZR_PUBLISHER_KEYS);
