#pragma once
// A fresh temporary directory made the process's current directory (the game
// directory) for one test, removed with everything in it afterwards.
#include <windows.h>

#include <string>

class TempGameDir {
public:
    TempGameDir();
    ~TempGameDir();
    TempGameDir(const TempGameDir&) = delete;
    TempGameDir& operator=(const TempGameDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const char* relative) const { return m_path + "\\" + relative; }
    // Writes a file relative to the directory (creating nothing else).
    void Write(const char* relative, const std::string& bytes) const;
    // Contents of a file, or "<missing>".
    std::string Read(const char* relative) const;
    bool Exists(const char* relative) const;

private:
    std::string m_path;
    std::string m_previous;
};

// Removes the launcher's registry key of the current user.
void DeleteSettingsKey();
