#pragma once
// Encoding and decoding of the patch-server reply (op codes 1, 5 and 7), which names the FTP
// server and account. Offsets count from the first byte of the frame:
//
//   host      100 bytes at 5 (op 1) or 6 (ops 5 and 7), scrambled
//   port        2 bytes at 106, little-endian, not scrambled
//   user       20 bytes at 108, scrambled
//   password   20 bytes at 128, scrambled
//   catalogue  20 bytes at 148, scrambled
//
// Each text field is copied into a buffer one byte wider than the field and
// descrambled there, so a text that fills its whole width is cut at the width and
// every text is NUL-terminated. The frame itself is not changed, and the decoded
// fields do not point into it. The encoder writes the long (C2) frame of 168 bytes.

enum {
    kPatchHostWidth = 100,
    kPatchAccountWidth = 20,
    kPatchPortOffset = 106,
    kPatchUserOffset = 108,
    kPatchPasswordOffset = 128,
    kPatchCatalogueOffset = 148,
    kPatchFrameMinSize = 168,
    kPatchFrameSize = 168,     // the frame the connect server sends
};

enum PatchServerOp {
    kOpPatchServer = 1,        // host at offset 5
    kOpPatchServerRelease = 5, // host at offset 6; leaves the local run mode
    kOpPatchServerLocal = 7,   // host at offset 6
};

struct PatchServerAddress {
    char host[kPatchHostWidth + 1];
    unsigned short port;
    char user[kPatchAccountWidth + 1];
    char password[kPatchAccountWidth + 1];
    char catalogue[kPatchAccountWidth + 1];
};

// Host offset for a patch-server op code: 5 for op 1, 6 otherwise.
int PatchHostOffset(int opCode);

// Fills address from a patch-server frame of the given size and op code. Returns 0
// (address untouched) when the frame is shorter than 168 bytes, 1 otherwise.
int DecodePatchServerFrame(const unsigned char* frame, int size, int opCode,
                           PatchServerAddress& address);

// Writes the 168-byte frame for op 1, 5 or 7 into out and returns its size. Each
// text is NUL-padded to its field and scrambled; a text keeps at most width - 1 bytes,
// so every field holds a NUL. The port is little-endian and plain.
int EncodePatchServerFrame(int opCode, const PatchServerAddress& address,
                           unsigned char out[kPatchFrameSize]);
