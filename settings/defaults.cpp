// The default settings: white "Lumivane" in 72-pixel arial, cycling its
// colour, at speed 2, drawn by the Lumivane method.
#include "settings/defaults.h"
#include <cstring>

const char DefaultText[] = "Lumivane";
const char DefaultFaceName[] = "arial";
const uint8_t DefaultColorChannel = 255;
const int32_t DefaultCycle = 1;
const int32_t DefaultSpeed = 2;
const int32_t DefaultMethod = 0;
const int32_t DefaultHeight = -72;      // a 72-pixel em

void ApplyDefaultSettings(SaverState* state)
{
    state->method = DefaultMethod;
    std::strcpy(state->text, DefaultText);
    state->color = MakeColor(DefaultColorChannel, DefaultColorChannel, DefaultColorChannel);
    state->cycle = DefaultCycle;
    state->speed = DefaultSpeed;
    std::memset(&state->logFont, 0, sizeof state->logFont);
    state->logFont.lfHeight = DefaultHeight;
    std::strcpy(state->logFont.lfFaceName, DefaultFaceName);
}
