// Fuzz target: the values of "config.ini" and the launcher's own command line: the
// version texts (ParseVersionText, LeadingNumber), their stored forms, the choice of
// the test-mode version, the path of "config.ini" and the command-line switches.
//
// The input text is copied into a buffer of its exact length, so reading past its
// end is caught. Properties: the parse equals an independent reading; a version
// written in either stored form reads back as itself; the test mode picks one of the
// two versions, the heavier one or the test one on a tie; the config path is the
// directory, one backslash and "config.ini" cut to the buffer; the command line
// keeps its buffer terminated and ends in the mode of its last switch.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>
#include <string>

#include "app/ClientConfig.h"
#include "app/LaunchOptions.h"
#include "app/VersionTriple.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/VersionModel.h"

namespace {

void CheckVersionText(const std::string& text)
{
    std::unique_ptr<char[]> exact(new char[text.size() + 1]);
    memcpy(exact.get(), text.c_str(), text.size() + 1);
    FUZZ_CHECK(VersionModel::Same(ParseVersionText(exact.get()), VersionModel::Parse(text)));
    FUZZ_CHECK(static_cast<unsigned>(LeadingNumber(exact.get())) ==
               VersionModel::LeadingValue(text.c_str()));
}

void CheckStoredForms(const VersionTriple& v)
{
    char stored[16], plain[16];
    FormatVersionStored(v, stored, sizeof stored);
    FormatVersionPlain(v, plain, sizeof plain);
    FUZZ_CHECK(VersionModel::Same(ParseVersionText(stored), v));
    FUZZ_CHECK(VersionModel::Same(ParseVersionText(plain), v));
    FUZZ_CHECK(PackVersion(v) == (v.major << 16 | v.minor << 8 | v.patch));
}

void CheckTestModeChoice(const VersionTriple& release, const VersionTriple& test)
{
    auto weight = [](const VersionTriple& v) { return v.major * 65535L + v.minor * 256L + v.patch; };
    VersionTriple chosen = ChooseTestModeVersion(release, test);
    const VersionTriple& want = weight(release) > weight(test) ? release : test;
    FUZZ_CHECK(VersionModel::Same(chosen, want));
}

void CheckConfigPath(const std::string& dir, size_t outSize)
{
    std::string want = dir.c_str();
    if (want.empty() || want.back() != '\\')
        want += '\\';
    want += "config.ini";
    std::unique_ptr<char[]> out(new char[outSize]);
    LocateConfigFile(dir.c_str(), out.get(), outSize);
    FUZZ_CHECK(want.compare(0, outSize - 1, out.get()) == 0);
    FUZZ_CHECK(strlen(out.get()) == std::min(want.size(), outSize - 1));
}

// The mode of the last of /t, /r and /l; the pass-through text fits its buffer.
void CheckCommandLine(const std::string& line)
{
    LaunchOptions options;
    ParseCommandLine(options, line.c_str());
    FUZZ_CHECK(memchr(options.passArgs, 0, sizeof options.passArgs) != nullptr);
    int mode = kRunNormal;
    std::string token;
    std::string text = line.c_str();
    for (size_t i = 0; i <= text.size(); ++i) {
        bool blank = i == text.size() || text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r');
        if (!blank) {
            token += text[i];
            continue;
        }
        if (token == "/t")
            mode = kRunTest;
        else if (token == "/r")
            mode = kRunRelease;
        else if (token == "/l")
            mode = kRunLocal;
        token.clear();
    }
    FUZZ_CHECK(options.runMode == mode);
}

VersionTriple TakeVersion(FuzzedDataProvider& in)
{
    return VersionTriple{in.ConsumeIntegral<unsigned char>(), in.ConsumeIntegral<unsigned char>(),
                         in.ConsumeIntegral<unsigned char>()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    VersionTriple release = TakeVersion(in);
    VersionTriple test = TakeVersion(in);
    size_t outSize = in.ConsumeIntegralInRange<size_t>(1, kConfigPathSize);
    std::string text = in.ConsumeRandomLengthString(in.remaining_bytes());

    CheckVersionText(text.c_str());
    CheckStoredForms(release);
    CheckTestModeChoice(release, test);
    CheckConfigPath(text, outSize);
    CheckCommandLine(text);
    return 0;
}
