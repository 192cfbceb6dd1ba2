#include "patch/LauncherKeys.h"

PublisherKeys g_publisherKeys;
