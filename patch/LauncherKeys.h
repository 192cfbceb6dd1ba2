#pragma once
// The publisher keys this launcher trusts, filled once at start from the build's
// ZR_PUBLISHER_KEYS by the application object (no key: a keyless launcher).
#include "patch/PublisherKeys.h"

extern PublisherKeys g_publisherKeys;
