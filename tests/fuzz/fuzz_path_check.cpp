// Fuzz target: the path check for names from the patch server and the patch log.
//
// The input is a directory, a NUL byte and a file name (no NUL: the whole input is
// the file name). Whatever the check accepts must stay inside the game directory
// when Windows resolves it (an independent model of Windows' normalisation decides),
// alone and joined as a directory switch and a file; '/' and '\' are the same to it.
#include <string>

#include "patch/PathCheck.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/WindowsPathModel.h"

namespace {

std::string WithBackslashes(std::string path)
{
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

void CheckFile(const std::string& file)
{
    int safe = IsSafeRelativePath(file.c_str());
    FUZZ_CHECK(safe == 0 || safe == 1);
    if (safe)
        FUZZ_CHECK(WindowsPathModel::FileStaysInside(file));
    FUZZ_CHECK(IsSafeRelativePath(WithBackslashes(file).c_str()) == safe);
}

void CheckDirectory(const std::string& dir)
{
    int safe = IsSafeRelativeDirectory(dir.c_str());
    FUZZ_CHECK(safe == 0 || safe == 1);
    if (safe)
        FUZZ_CHECK(WindowsPathModel::DirectoryStaysInside(dir));
    FUZZ_CHECK(IsSafeRelativeDirectory(WithBackslashes(dir).c_str()) == safe);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_CHECK(IsSafeRelativePath(nullptr) == 0 && IsSafeRelativeDirectory(nullptr) == 0);
    std::string input(reinterpret_cast<const char*>(data), size);
    size_t nul = input.find('\0');
    std::string dir = nul == std::string::npos ? "" : input.substr(0, nul);
    std::string file = nul == std::string::npos ? input : input.substr(nul + 1);
    file = file.substr(0, file.find('\0'));

    CheckFile(file);
    CheckFile(dir);
    CheckDirectory(dir);
    // A directory switch followed by a file of the list: the two joined must stay
    // inside too, since the walk writes to dir\file.
    if (IsSafeRelativeDirectory(dir.c_str()) && IsSafeRelativePath(file.c_str())) {
        std::string joined = dir.empty() ? file : dir + "\\" + file;
        FUZZ_CHECK(WindowsPathModel::FileStaysInside(joined));
    }
    return 0;
}
