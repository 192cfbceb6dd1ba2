#pragma once
// The FTP account fields of a patch-server reply are XORed with a three-byte key.
// The key index restarts at 0 for each field. Applying it twice restores the field.

// XORs bytes[i] with key byte (i modulo 3), in place, for i in [0, length). The
// same operation scrambles (the connect server) and descrambles (the launcher).
void Descramble(unsigned char* bytes, int length);
inline void Scramble(unsigned char* bytes, int length) { Descramble(bytes, length); }
