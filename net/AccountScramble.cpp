#include "net/AccountScramble.h"

namespace {

const unsigned char kAccountKey[3] = {0x5A, 0x3C, 0x96};

}  // namespace

void Descramble(unsigned char* bytes, int length)
{
    for (int i = 0; i < length; ++i)
        bytes[i] = static_cast<unsigned char>(bytes[i] ^ kAccountKey[i % 3]);
}
