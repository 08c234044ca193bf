// The web host's module: the settings, the frames and the pacing that the
// page drives from JavaScript, over the same frame code, glyph source and
// image surface as the native saver. The page hands in the address's
// settings one by one (checked as the native commands check their options),
// the face files, the canvas's size and the clock; it copies the pixels of
// the changed rectangles to its canvas after each shown frame.
#include <emscripten/emscripten.h>
#include <cstdio>
#include <string>
#include <vector>
#include "animation/frame.h"
#include "animation/pacing.h"
#include "animation/surface_image.h"
#include "linux/settings_options.h"
#include "settings/defaults.h"
#include "web/face_files.h"

namespace {

enum StartResult { Started = 0, NoFace = 1, NoMemory = 2 };

const char* const OnOffSettings[] = {"italic", "cycle"};
const char SwitchOn[] = "1", SwitchOff[] = "0";
const char NoPrefix[] = "no-";
const int HexDigitsPerColor = 6;

SaverState g_settings;
Animation g_animation;
Pacing g_pacing;
uint32_t* g_pixels = NULL;              // width times height, from AllocateZeroedBlock
Surface g_surface = NULL;
std::vector<RECT> g_damage;
std::string g_answer;                   // the last string handed to the page
std::vector<uint32_t> g_uncovered;

void Stop()
{
    if (g_surface == NULL)
        return;
    EndFrames(&g_animation);
    DeleteSurfaceFont(g_settings.font);
    DeleteSurfaceBrush(g_settings.brush);
    g_settings.font = NULL;
    g_settings.brush = NULL;
    DestroyPixelSurface(g_surface);
    g_surface = NULL;
    FreeBlock(g_pixels);
    g_pixels = NULL;
}

bool IsOnOffSetting(const std::string& name)
{
    for (const char* setting : OnOffSettings)
        if (name == setting)
            return true;
    return false;
}

}  // namespace

extern "C" {

// Every setting to its default.
EMSCRIPTEN_KEEPALIVE void lumivane_default_settings()
{
    ApplyDefaultSettings(&g_settings);
}

// Applies one setting of the address (text, font, height, weight, italic,
// color, cycle, speed, method; italic and cycle are 0 or 1). Returns "" when
// taken, else why not; the setting then keeps its value.
EMSCRIPTEN_KEEPALIVE const char* lumivane_apply_setting(const char* name, const char* value)
{
    Argument argument = {true, name, value, true};
    if (IsOnOffSetting(argument.name)) {
        if (argument.text != SwitchOn && argument.text != SwitchOff) {
            g_answer = argument.name + " wants 0 or 1, not \"" + argument.text + "\"";
            return g_answer.c_str();
        }
        if (argument.text == SwitchOff)
            argument.name = NoPrefix + argument.name;
        argument.hasValue = false;
        argument.text.clear();
    }
    CommandLine line = {0, NULL, 0, false};
    g_answer.clear();
    SettingOutcome outcome = ApplySettingOption(&line, argument, &g_settings, &g_answer);
    if (outcome == NotASetting)
        g_answer = "no setting is called " + argument.name;
    return g_answer.c_str();
}

// A setting's value as the address writes it.
EMSCRIPTEN_KEEPALIVE const char* lumivane_setting(const char* name)
{
    const std::string setting = name;
    const FontDescription& font = g_settings.logFont;
    if (setting == "text")
        g_answer = g_settings.text;
    else if (setting == "font")
        g_answer = font.lfFaceName;
    else if (setting == "height")
        g_answer = std::to_string(font.lfHeight);
    else if (setting == "weight")
        g_answer = std::to_string(font.lfWeight);
    else if (setting == "italic")
        g_answer = font.lfItalic != 0 ? SwitchOn : SwitchOff;
    else if (setting == "cycle")
        g_answer = g_settings.cycle != 0 ? SwitchOn : SwitchOff;
    else if (setting == "speed")
        g_answer = std::to_string(g_settings.speed);
    else if (setting == "method")
        g_answer = NameOfMethod(g_settings.method) != nullptr ? NameOfMethod(g_settings.method) : "";
    else if (setting == "color") {
        char hex[HexDigitsPerColor + 1];
        const Color c = g_settings.color;
        std::snprintf(hex, sizeof hex, "%02X%02X%02X", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
        g_answer = hex;
    } else
        g_answer.clear();
    return g_answer.c_str();
}

// The face files (face_files.h), by their paths in the module's file system.
// 1 when taken, 0 when the file is no face FreeType can open.
EMSCRIPTEN_KEEPALIVE int lumivane_choose_face(const char* path)
{
    return ChooseFace(path, 0) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE void lumivane_clear_fallback_faces()
{
    ClearFallbackFaces();
}

EMSCRIPTEN_KEEPALIVE int lumivane_add_fallback_face(const char* path)
{
    return AddFallbackFace(path, 0) ? 1 : 0;
}

// The characters the last start found in no face: how many, then each.
EMSCRIPTEN_KEEPALIVE int lumivane_uncovered_count()
{
    return static_cast<int>(g_uncovered.size());
}

EMSCRIPTEN_KEEPALIVE uint32_t lumivane_uncovered_character(int i)
{
    return g_uncovered[static_cast<size_t>(i)];
}

// Starts the frames on width by height pixels with the settings and the
// face given: the pixels are cleared to black, the text laid out and the
// beams placed from seed; the clock starts at now (microseconds).
EMSCRIPTEN_KEEPALIVE int lumivane_start(int width, int height, uint32_t seed, double now)
{
    Stop();
    g_settings.font = CreateSurfaceFont(&g_settings.logFont);
    if (g_settings.font == NULL)
        return NoFace;
    g_pixels = static_cast<uint32_t*>(
        AllocateZeroedBlock(static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(uint32_t)));
    if (g_pixels == NULL) {
        DeleteSurfaceFont(g_settings.font);
        g_settings.font = NULL;
        return NoMemory;
    }
    g_surface = CreatePixelSurface(g_pixels, width, height, width, PixelsRgba, NULL);
    g_settings.brush = CreateColorBrush(g_settings.color);
    StartFrames(&g_animation, &g_settings, g_surface, RECT{0, 0, width, height}, seed);
    g_uncovered = TakeUncoveredCharacters();
    StartPacing(&g_pacing, static_cast<int64_t>(now));
    return Started;
}

// Goes on after a pause (a hidden page) at now, without making up the time.
EMSCRIPTEN_KEEPALIVE void lumivane_resume(double now)
{
    StartPacing(&g_pacing, static_cast<int64_t>(now));
}

// The steps due at now, taken (the motion only; nothing is drawn).
EMSCRIPTEN_KEEPALIVE int lumivane_step_due(double now)
{
    const int64_t due = TakeDueSteps(&g_pacing, static_cast<int64_t>(now));
    for (int64_t i = 0; i < due; ++i)
        StepFrame(&g_animation, &g_settings);
    return static_cast<int>(due);
}

// count steps at once, whatever the clock says.
EMSCRIPTEN_KEEPALIVE void lumivane_step(int count)
{
    for (int i = 0; i < count; ++i)
        StepFrame(&g_animation, &g_settings);
}

// Draws where the motion stands. Returns how many rectangles it changed,
// which lumivane_damage() then holds: left, top, right, bottom each, in row
// order and apart, so the page copies only what changed.
EMSCRIPTEN_KEEPALIVE int lumivane_show()
{
    ShowFrame(&g_animation, &g_settings, g_surface);
    TakeSurfaceDamageAreas(g_surface, &g_damage);
    return static_cast<int>(g_damage.size());
}

EMSCRIPTEN_KEEPALIVE const int32_t* lumivane_damage()
{
    return reinterpret_cast<const int32_t*>(g_damage.data());
}

// The pixels: bytes R, G, B, 255, row after row.
EMSCRIPTEN_KEEPALIVE const uint32_t* lumivane_pixels()
{
    return g_pixels;
}

EMSCRIPTEN_KEEPALIVE void lumivane_stop()
{
    Stop();
}

}  // extern "C"
