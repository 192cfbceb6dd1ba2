#include "app/OptionSettings.h"

void OptionSettings::ClampSettings()
{
    if (resolution < 0 || resolution > 3)
        resolution = 2;
    if (soundOn < 0 || soundOn > 1)
        soundOn = 1;
    if (musicOn < 0 || musicOn > 1)
        musicOn = 0;
}
