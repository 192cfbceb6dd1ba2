#pragma once
// Collects the client's 6-byte version request (C1 06 op major minor patch) as its
// bytes arrive and rejects a wrong byte as soon as it is seen.
#include <cstddef>
#include <cstdint>

#include "app/VersionTriple.h"
#include "net/VersionRequest.h"

enum RequestState {
    kRequestIncomplete = 0,
    kRequestComplete = 1,
    kRequestBad = 2,
};

class VersionRequest {
public:
    // Takes bytes until the request is complete; bytes after it are not looked at.
    // Returns the RequestState reached.
    int Feed(const uint8_t* data, size_t length);

    int State() const { return state_; }
    int Op() const { return bytes_[2]; }                 // 5, 6 or 7 once complete
    VersionTriple Version() const { return {bytes_[3], bytes_[4], bytes_[5]}; }
    const char* Problem() const { return problem_; }     // why the request is bad

private:
    uint8_t bytes_[kVersionRequestSize] = {};
    size_t held_ = 0;
    int state_ = kRequestIncomplete;
    char problem_[64] = {};
};
