// The built zr.exe read back the way Windows reads it: the version resource through
// the version API (what Explorer's Details page shows), the application manifest as
// the loader finds it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const wchar_t kExe[] = L"zr.exe";   // the tests run in the build tree beside it

std::wstring Wide(const char* text)
{
    return std::wstring(text, text + strlen(text));
}

class VersionBlock {
public:
    VersionBlock()
    {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeW(kExe, &ignored);
        if (size == 0)
            return;
        data_.resize(size);
        if (!GetFileVersionInfoW(kExe, 0, size, data_.data()))
            data_.clear();
    }
    bool Loaded() const { return !data_.empty(); }

    const VS_FIXEDFILEINFO* Fixed()
    {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data_.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }

    // A string of the block the translation table names first.
    std::wstring String(const wchar_t* name)
    {
        struct Translation { WORD language, codePage; };
        Translation* table = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation",
                            reinterpret_cast<void**>(&table), &length) || length < sizeof(Translation))
            return L"<no translation>";
        wchar_t path[128];
        swprintf(path, 128, L"\\StringFileInfo\\%04x%04x\\%ls", table->language, table->codePage, name);
        wchar_t* value = nullptr;
        if (!VerQueryValueW(data_.data(), path, reinterpret_cast<void**>(&value), &length) || length == 0)
            return L"<missing>";
        return value;
    }

private:
    std::vector<unsigned char> data_;
};

std::string ManifestOf(const wchar_t* exe)
{
    HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return "";
    std::string text;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    if (loaded)
        text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

} // namespace

TEST(ExeResources, VersionResourceCarriesTheProjectVersionAndNames)
{
    VersionBlock block;
    ASSERT_TRUE(block.Loaded()) << "no version resource in zr.exe";
    const VS_FIXEDFILEINFO* fixed = block.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    unsigned v[4];
    ASSERT_EQ(sscanf(ZR_VERSION_QUAD, "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]), 4);
    EXPECT_EQ(fixed->dwFileVersionMS, (v[0] << 16) | v[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, (v[2] << 16) | v[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(block.String(L"FileVersion"), Wide(ZR_VERSION_QUAD));
    EXPECT_EQ(block.String(L"ProductVersion"), Wide(ZR_VERSION_QUAD));
    EXPECT_EQ(block.String(L"LegalCopyright"), Wide(ZR_COPYRIGHT));
    EXPECT_EQ(block.String(L"OriginalFilename"), L"zr.exe");
    EXPECT_NE(block.String(L"ProductName").find(L"ZR"), std::wstring::npos);
    EXPECT_NE(block.String(L"FileDescription").find(L"launcher"), std::wstring::npos);
}

TEST(ExeResources, ManifestRunsAsInvokerOnWindows7OnAndIsNotDpiAware)
{
    std::string manifest = ManifestOf(kExe);
    ASSERT_FALSE(manifest.empty()) << "no manifest resource 1 in zr.exe";
    EXPECT_EQ(manifest.rfind("<?xml", 0), 0u);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"" ZR_VERSION_QUAD "\""), std::string::npos);
    for (const char* os : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a",    // 7
                           "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",    // 8
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78",    // 8.1
                           "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})   // 10, 11
        EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"{") + os + "}\"/>"), std::string::npos) << os;
    EXPECT_NE(manifest.find(">false</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find(">unaware</dpiAwareness>"), std::string::npos);
    // The whole document went in, not a cut one.
    EXPECT_NE(manifest.find("</assembly>"), std::string::npos);
}
