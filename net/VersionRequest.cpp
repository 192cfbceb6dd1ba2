#include "net/VersionRequest.h"

#include "app/LaunchOptions.h"
#include "net/FrameFormat.h"

int BuildVersionRequest(int runMode, VersionTriple installed,
                        unsigned char out[kVersionRequestSize])
{
    unsigned char op = kOpVersionNormal;
    if (runMode == kRunTest)
        op = kOpVersionTest;
    else if (runMode == kRunLocal)
        op = kOpVersionLocal;
    out[0] = kFrameShort;
    out[1] = kVersionRequestSize;
    out[2] = op;
    out[3] = installed.major;
    out[4] = installed.minor;
    out[5] = installed.patch;
    return kVersionRequestSize;
}
