#pragma once
// The frames the connect server sends: the greeting, "up to date" and the
// patch-server reply with the scrambled FTP account.
#include <cstddef>
#include <cstdint>

#include "tools/connect_server/ServerConfig.h"

enum {
    kGreetingSize = 4,
    kUpToDateSize = 3,
    kPatchReplySize = 168,
    kOpGreeting = 0,
    kOpUpToDate = 2,
};

// Field layout of the patch-server reply, counted from the first byte of the frame.
enum {
    kHostOffsetOp1 = 5,
    kHostOffsetOp5And7 = 6,
    kHostFieldSize = 100,
    kPortOffset = 106,
    kUserOffset = 108,
    kPasswordOffset = 128,
    kCatalogueOffset = 148,
    kAccountFieldSize = 20,
};

// C1 04 00 01: the launcher answers it with its version request.
void BuildGreeting(uint8_t out[kGreetingSize]);
// C1 03 02: the client is current.
void BuildUpToDate(uint8_t out[kUpToDateSize]);
// A long (C2) frame of 168 bytes with op code `op` (1, 5 or 7) naming `server`.
// Text fields are NUL-padded and scrambled; the port is little-endian and plain.
void BuildPatchReply(int op, const PatchServerEntry& server, uint8_t out[kPatchReplySize]);

// XORs byte i with key byte i % 3 (5A 3C 96); applying it twice restores the bytes.
void ScrambleField(uint8_t* field, size_t length);
