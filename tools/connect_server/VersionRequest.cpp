#include "tools/connect_server/VersionRequest.h"

#include <cstdio>

#include "net/FrameFormat.h"

int VersionRequest::Feed(const uint8_t* data, size_t length)
{
    for (size_t i = 0; i < length && state_ == kRequestIncomplete; ++i) {
        uint8_t byte = data[i];
        bool good = true;
        if (held_ == 0)
            good = (byte == kFrameShort);
        else if (held_ == 1)
            good = (byte == kVersionRequestSize);
        else if (held_ == 2)
            good = (byte >= kOpVersionNormal && byte <= kOpVersionLocal);
        if (!good) {
            snprintf(problem_, sizeof(problem_), "bad frame (byte %u is 0x%02X)",
                     static_cast<unsigned>(held_), byte);
            state_ = kRequestBad;
            break;
        }
        bytes_[held_++] = byte;
        if (held_ == kVersionRequestSize)
            state_ = kRequestComplete;
    }
    return state_;
}
