#pragma once
// The frames the connect server sends: the greeting, "up to date" and the
// patch-server reply with the scrambled FTP account. The layouts, op codes and the
// scramble are the launcher's own, from net/.
#include <cstddef>
#include <cstdint>

#include "net/FrameFormat.h"
#include "net/PatchServerFrame.h"
#include "tools/connect_server/ServerConfig.h"

enum {
    kGreetingSize = 4,
    kUpToDateSize = 3,
    kPatchReplySize = kPatchFrameSize,
};

// C1 04 00 01: the launcher answers it with its version request.
void BuildGreeting(uint8_t out[kGreetingSize]);
// C1 03 02: the client is current.
void BuildUpToDate(uint8_t out[kUpToDateSize]);
// A long (C2) frame of 168 bytes with op code `op` (1, 5 or 7) naming `server`.
// Text fields are NUL-padded and scrambled; the port is little-endian and plain.
void BuildPatchReply(int op, const PatchServerEntry& server, uint8_t out[kPatchReplySize]);
