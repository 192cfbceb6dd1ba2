#pragma once
// The player's settings kept in the registry key "SOFTWARE\Corvane\ZR\Config" of the
// current user: account ID, sound, music and screen resolution. The options dialog
// holds them; an older "config.ini" that still carries them is migrated once.
#include <string>

#include "app/VersionTriple.h"

typedef struct HWND__* HWND;

struct OptionSettings {
    enum { kMaxStoredIdChars = 63 };   // the longest stored ID that is read

    std::string id;          // UTF-8
    // The stored ID could not be read (too long or not text): Save leaves it in place
    // unless the player types an ID.
    bool keepStoredId = false;
    int soundOn = 1;
    int musicOn = 0;
    int resolution = 2;      // 0 640x480, 1 800x600, 2 1024x768, 3 1280x1024

    // Forces each value into its range: resolution 0..3 (else 2), sound 0..1 (else 1),
    // music 0..1 (else 0).
    void ClampSettings();
    // Fills the fields from the registry, creating the key with defaults, or migrating
    // an older config.ini of the current directory when the key is new.
    void LoadSettings(const VersionTriple& installed);
    // Clamps and writes the four values; 0 (after a message box owned by `owner`)
    // when the key cannot be opened.
    int SaveSettings(HWND owner);
};

extern const char kSettingsKey[];
