// Loading, migrating and saving the player's settings in the registry.
#include <windows.h>

#include <io.h>
#include <cstdio>
#include <algorithm>
#include <cstdlib>

#include "app/win/OptionSettings.h"

#include "app/ClientConfig.h"
#include "framework/MessageBox.h"
#include "framework/Text.h"

const char kSettingsKey[] = "SOFTWARE\\Corvane\\ZR\\Config";

namespace {

const char kDwordNames[3][12] = {"SoundOnOff", "MusicOnOff", "Resolution"};

HKEY OpenSettingsKey(DWORD* disposition)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, disposition) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

void WriteId(HKEY key, const std::string& id)
{
    // Written as a wide string: the registry then hands it to readers of either
    // character width in their own encoding.
    std::wstring wide = Utf8ToWide(id.c_str());
    RegSetValueExW(key, L"ID", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                   static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

void WriteDword(HKEY key, const char* name, int value)
{
    DWORD v = static_cast<DWORD>(value);
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
}

void WriteDwords(HKEY key, const OptionSettings& s)
{
    WriteDword(key, "SoundOnOff", s.soundOn);
    WriteDword(key, "MusicOnOff", s.musicOn);
    WriteDword(key, "Resolution", s.resolution);
}

void WriteAll(HKEY key, const OptionSettings& s)
{
    WriteId(key, s.id);
    WriteDwords(key, s);
}

int ReadProfileInt(const char* section, const char* key, const char* def, const char* path)
{
    char text[10];
    GetPrivateProfileStringA(section, key, def, text, sizeof(text), path);
    return atoi(text);
}

void MigrateConfigFile(OptionSettings& s, const char* path)
{
    char id[11];
    GetPrivateProfileStringA("LOGIN", "ID", "", id, sizeof(id), path);
    s.id = WideToUtf8(AnsiToWide(id).c_str());
    s.soundOn = ReadProfileInt("OPTION", "SoundOnOff", "1", path);
    s.musicOn = ReadProfileInt("OPTION", "MusicOnOff", "0", path);
    s.resolution = ReadProfileInt("OPTION", "Resolution", "0", path);
}

// The stored ID, up to kMaxStoredIdChars characters. Only an absent value is created
// (empty); one that cannot be read (too long, not text) is left as it is, and Save
// keeps it unless the player types an ID.
void ReadId(HKEY key, OptionSettings& s)
{
    wchar_t id[OptionSettings::kMaxStoredIdChars + 1];
    DWORD size = sizeof(id);
    DWORD type = 0;
    LONG rc = RegQueryValueExW(key, L"ID", nullptr, &type, reinterpret_cast<BYTE*>(id), &size);
    if (rc == ERROR_FILE_NOT_FOUND) {
        WriteId(key, "");
    } else if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        id[std::min<size_t>(size / sizeof(wchar_t), OptionSettings::kMaxStoredIdChars)] = L'\0';
        s.id = WideToUtf8(id);
    } else {
        s.keepStoredId = true;
    }
}

} // namespace

void LoadSettings(OptionSettings& settings, const VersionTriple& installed)
{
    DWORD disposition = 0;
    HKEY key = OpenSettingsKey(&disposition);
    if (!key)
        return;
    if (disposition == REG_CREATED_NEW_KEY) {
        char dir[260];
        char path[kConfigPathSize];
        GetCurrentDirectoryA(sizeof(dir), dir);
        LocateConfigFile(dir, path, sizeof(path));
        if (_access(path, 0) != 0) {
            settings.ClampSettings();
            WriteAll(key, settings);
        } else {
            MigrateConfigFile(settings, path);
            settings.ClampSettings();
            WriteAll(key, settings);
            DeleteFileA(path);
            char version[16];
            snprintf(version, sizeof(version), "%d.%d", installed.major, installed.minor);
            WritePrivateProfileStringA("LOGIN", "Version", version, path);
        }
    } else {
        ReadId(key, settings);
        settings.ClampSettings();
        int* fields[3] = {&settings.soundOn, &settings.musicOn, &settings.resolution};
        for (int i = 0; i < 3; ++i) {
            DWORD value = 0;
            DWORD valueSize = sizeof(value);
            if (RegQueryValueExA(key, kDwordNames[i], nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&value), &valueSize) == ERROR_SUCCESS &&
                valueSize == sizeof(value))
                *fields[i] = static_cast<int>(value);
            else
                WriteDword(key, kDwordNames[i], *fields[i]);
        }
    }
    RegCloseKey(key);
}

int SaveSettings(OptionSettings& settings, HWND owner)
{
    DWORD disposition = 0;
    HKEY key = OpenSettingsKey(&disposition);
    if (!key) {
        MessageBoxUtf8(owner, "레지스트리를 여는 도중 에러가 발생하였습니다.", "에러", MB_ICONERROR);
        return 0;
    }
    settings.ClampSettings();
    if (settings.keepStoredId && settings.id.empty())
        WriteDwords(key, settings);
    else
        WriteAll(key, settings);
    RegCloseKey(key);
    return 1;
}
