// The launcher's one application object. The connect-server host is fixed when the
// launcher is built (CMake cache variable ZR_CONNECT_HOST).
#include "app/win/UpdateApp.h"

#ifndef ZR_CONNECT_HOST
#error "ZR_CONNECT_HOST must be defined by the build"
#endif

static CUpdateApp theApp(ZR_CONNECT_HOST, 44405);
