#pragma once
// The player's settings: account ID, sound, music and screen resolution. The options
// dialog holds them; app/win/OptionSettings.h keeps them in the registry.
#include <string>

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
};
