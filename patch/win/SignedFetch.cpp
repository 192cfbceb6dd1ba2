#include "patch/win/SignedFetch.h"

#include <cstdio>

namespace {

// Reads a whole local file of at most maxBytes.
int ReadSmallFile(const char* path, size_t maxBytes, std::string& bytes)
{
    bytes.clear();
    FILE* file = fopen(path, "rb");
    if (!file)
        return 0;
    char block[4096];
    size_t got = 0;
    bool tooLarge = false;
    while ((got = fread(block, 1, sizeof block, file)) > 0) {
        if (bytes.size() + got > maxBytes) {
            tooLarge = true;
            break;
        }
        bytes.append(block, got);
    }
    bool failed = ferror(file) != 0;
    fclose(file);
    return tooLarge || failed ? 0 : 1;
}

} // namespace

int FetchFileToMemory(HINTERNET ftp, const char* name, const char* scratchPath, size_t maxBytes,
                      std::string& bytes)
{
    bytes.clear();
    DeleteFileA(scratchPath);
    if (!ftp || !FtpGetFileA(ftp, name, scratchPath, FALSE, FILE_ATTRIBUTE_NORMAL,
                             INTERNET_FLAG_RELOAD | FTP_TRANSFER_TYPE_BINARY, 0))
        return 0;
    int read = ReadSmallFile(scratchPath, maxBytes, bytes);
    DeleteFileA(scratchPath);
    return read;
}

int VerifyRemoteSignature(HINTERNET ftp, const char* name, const char* scratchPath, SignedKind kind,
                          const PublisherKeys& keys, const std::string& bytes)
{
    if (keys.count == 0)
        return kSignedFetchOk;
    std::string signatureName = std::string(name) + kSignatureSuffix;
    std::string signature;
    // A signature file is 128 hex digits and a line feed; a little room tells a
    // longer one apart, which the parser refuses.
    if (!FetchFileToMemory(ftp, signatureName.c_str(), scratchPath, kSignatureHexChars + 8, signature))
        return kSignedFetchBadSignature;
    return VerifySignedFile(keys, kind, bytes.data(), bytes.size(), signature.data(), signature.size())
               ? kSignedFetchOk
               : kSignedFetchBadSignature;
}

int FetchSignedFile(HINTERNET ftp, const char* name, const char* scratchPath, SignedKind kind,
                    const PublisherKeys& keys, size_t maxBytes, std::string& bytes)
{
    if (!FetchFileToMemory(ftp, name, scratchPath, maxBytes, bytes))
        return kSignedFetchMissing;
    return VerifyRemoteSignature(ftp, name, scratchPath, kind, keys, bytes);
}
