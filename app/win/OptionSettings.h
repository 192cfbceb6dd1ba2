#pragma once
// The player's settings kept in the registry key "SOFTWARE\Corvane\ZR\Config" of the
// current user; an older "config.ini" that still carries them is migrated once.
#include <windows.h>

#include "app/OptionSettings.h"
#include "app/VersionTriple.h"

// Fills the fields from the registry, creating the key with defaults, or migrating
// an older config.ini of the current directory when the key is new.
void LoadSettings(OptionSettings& settings, const VersionTriple& installed);
// Clamps and writes the four values; 0 (after a message box owned by `owner`) when
// the key cannot be opened.
int SaveSettings(OptionSettings& settings, HWND owner);

extern const char kSettingsKey[];
