#include "tests/win/TempGameDir.h"

#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/win/OptionSettings.h"

namespace {

void RemoveTree(const std::string& path)
{
    std::string from = path + std::string(1, '\0');
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&op);
}

} // namespace

TempGameDir::TempGameDir()
{
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof(previous), previous);
    m_previous = previous;
    char base[MAX_PATH];
    GetTempPathA(sizeof(base), base);
    static unsigned counter = 0;
    for (;;) {
        char name[MAX_PATH];
        snprintf(name, sizeof(name), "%szrtest-%lu-%u", base, GetCurrentProcessId(), ++counter);
        if (CreateDirectoryA(name, nullptr)) {
            m_path = name;
            break;
        }
    }
    SetCurrentDirectoryA(m_path.c_str());
}

TempGameDir::~TempGameDir()
{
    SetCurrentDirectoryA(m_previous.c_str());
    RemoveTree(m_path);
}

void TempGameDir::Write(const char* relative, const std::string& bytes) const
{
    std::ofstream out(File(relative), std::ios::binary);
    out << bytes;
}

std::string TempGameDir::Read(const char* relative) const
{
    std::ifstream in(File(relative), std::ios::binary);
    if (!in)
        return "<missing>";
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempGameDir::Exists(const char* relative) const
{
    return GetFileAttributesA(File(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void DeleteSettingsKey()
{
    RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyA(HKEY_CURRENT_USER, kSettingsKey);
}
