// Reads and writes the settings record in the private profile file, through
// the system's profile functions (settings/private_profile.h names them where
// the system has none); a load reads through settings/profile_reads.h and a
// save writes through settings/profile_writes.h, which elsewhere read and
// write the file once for all its keys, in Unicode. Where the file lives and
// what its names are is the one thing each system decides for itself
// (settings/profile_location).
#include "settings/profile.h"
#include <cstring>
#include "settings/defaults.h"
#include "settings/private_profile.h"
#include "settings/profile_location.h"
#include "settings/profile_reads.h"
#include "settings/profile_writes.h"

const int NumberCapacity = 12;          // "-2147483648" and the NUL
const int DecimalBase = 10;
const int RedChannel = 0, GreenChannel = 1, BlueChannel = 2;

// The profile reader strips these around a value (Wine counts ^Z, the old
// end-of-file mark, among them), then one pair of matching outer quotes; its
// writer strips the blanks too.
const char ProfileBlanks[] = " \t\v\f\x1a";
const char Blank = ' ';
const char CarriageReturn = '\r';
const char LineFeed = '\n';
const char DoubleQuote = '"';
const char SingleQuote = '\'';
const int QuotePairLength = 2;

// A text or face name as it stands in the file: the field's characters and
// a pair of quotes.
const int ValueCapacity = TextCapacity + QuotePairLength;

// number in decimal digits, with a sign when negative, as "%d" writes it;
// done by hand because the C runtime's formatting drags in locale support
// that the oldest systems lack.
static void FormatDecimal(int32_t number, char* text)
{
    char digits[NumberCapacity];
    int count = 0;
    // Negative remainders keep the most negative number whole.
    int32_t rest = number;
    do {
        int32_t digit = rest % DecimalBase;
        digits[count++] = static_cast<char>('0' + (digit < 0 ? -digit : digit));
        rest /= DecimalBase;
    } while (rest != 0);
    if (number < 0)
        *text++ = '-';
    while (count > 0)
        *text++ = digits[--count];
    *text = '\0';
}

static uint8_t Channel(Color color, int channel)
{
    return static_cast<uint8_t>(color >> (8 * channel));
}

static int ReadProfileNumber(const ProfileNames* names, SettingKey key, int defaultValue)
{
    return static_cast<int>(ReadProfileInt(names, key, defaultValue));
}

// Each key's default is the field's default value, which the record holds
// when its key is read.
static void LoadSettings(const ProfileNames* names, SaverState* state)
{
    ApplyDefaultSettings(state);
    BeginProfileReads(names);
    ReadProfileText(names, KeyText, state->text, state->text, TextCapacity, TextCharacters);
    int red = ReadProfileNumber(names, KeyColorR, Channel(state->color, RedChannel));
    int green = ReadProfileNumber(names, KeyColorG, Channel(state->color, GreenChannel));
    int blue = ReadProfileNumber(names, KeyColorB, Channel(state->color, BlueChannel));
    state->color = MakeColor(static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue));
    state->cycle = ReadProfileNumber(names, KeyCycle, state->cycle) != 0;
    state->speed = ReadProfileNumber(names, KeySpeed, state->speed);
    state->method = ReadProfileNumber(names, KeyMethod, state->method);

    FontDescription* font = &state->logFont;
    font->lfHeight = ReadProfileNumber(names, KeyHeight, font->lfHeight);
    font->lfWidth = ReadProfileNumber(names, KeyWidth, font->lfWidth);
    font->lfWeight = ReadProfileNumber(names, KeyWeight, font->lfWeight);
    font->lfCharSet = static_cast<uint8_t>(ReadProfileNumber(names, KeyCharset, font->lfCharSet));
    font->lfItalic = static_cast<uint8_t>(ReadProfileNumber(names, KeyItalic, font->lfItalic));
    ReadProfileText(names, KeyFaceName, font->lfFaceName, font->lfFaceName, LF_FACESIZE, FaceNameCharacters);
    EndProfileReads();
}

static bool IsProfileBlank(char c)
{
    for (const char* blank = ProfileBlanks; *blank != '\0'; ++blank)
        if (c == *blank)
            return true;
    return false;
}

// A line break would start a new line, and so a new key, in the file.
static char OnOneLine(char c)
{
    return (c == CarriageReturn || c == LineFeed) ? Blank : c;
}

// The value a field of capacity characters is saved as: at most capacity - 1
// of its characters, whether or not the record ends them with a NUL, on one
// line; quoted when the reader would strip its outer blanks or quotes; empty
// when it holds blanks alone.
static void PrepareProfileValue(const char* field, int capacity, char* value)
{
    int length = 0;
    bool blanksOnly = true;
    while (length < capacity - 1 && field[length] != '\0') {
        if (!IsProfileBlank(OnOneLine(field[length])))
            blanksOnly = false;
        ++length;
    }
    if (blanksOnly) {
        value[0] = '\0';
        return;
    }
    char first = OnOneLine(field[0]);
    char last = OnOneLine(field[length - 1]);
    bool quoted = IsProfileBlank(first) || IsProfileBlank(last) ||
                  ((first == DoubleQuote || first == SingleQuote) && last == first);
    int out = 0;
    if (quoted)
        value[out++] = DoubleQuote;
    for (int i = 0; i < length; ++i)
        value[out++] = OnOneLine(field[i]);
    if (quoted)
        value[out++] = DoubleQuote;
    value[out] = '\0';
}

static void WriteProfileText(const ProfileNames* names, SettingKey key, const char* field, int capacity)
{
    char value[ValueCapacity];
    PrepareProfileValue(field, capacity, value);
    WriteProfileValue(names, key, value);
}

static void WriteProfileNumber(const ProfileNames* names, SettingKey key, int number)
{
    char value[NumberCapacity];
    FormatDecimal(number, value);
    WriteProfileValue(names, key, value);
}

// A failed write is not reported: the caller carries on as after a save.
static void SaveSettings(const ProfileNames* names, const SaverState* state)
{
    BeginProfileWrites(names);
    WriteProfileText(names, KeyText, state->text, TextCapacity);
    WriteProfileNumber(names, KeyColorR, Channel(state->color, RedChannel));
    WriteProfileNumber(names, KeyColorG, Channel(state->color, GreenChannel));
    WriteProfileNumber(names, KeyColorB, Channel(state->color, BlueChannel));
    WriteProfileNumber(names, KeyCycle, state->cycle != 0);
    WriteProfileNumber(names, KeySpeed, state->speed);
    WriteProfileNumber(names, KeyMethod, state->method);
    WriteProfileNumber(names, KeyHeight, state->logFont.lfHeight);
    WriteProfileNumber(names, KeyWidth, state->logFont.lfWidth);
    WriteProfileNumber(names, KeyWeight, state->logFont.lfWeight);
    WriteProfileNumber(names, KeyCharset, state->logFont.lfCharSet);
    WriteProfileNumber(names, KeyItalic, state->logFont.lfItalic);
    WriteProfileText(names, KeyFaceName, state->logFont.lfFaceName, LF_FACESIZE);
    EndProfileWrites(names);
}

// The file keeps an empty text; the record never holds one.
static void KeepTextShown(SaverState* state)
{
    if (state->text[0] == '\0')
        std::strcpy(state->text, DefaultText);
}

void TransferSettings(int save, SaverState* state)
{
    ProfileNames names;
    FindProfileNames(state, save != SettingsLoad, &names);
    if (save == SettingsLoad)
        LoadSettings(&names, state);
    else
        SaveSettings(&names, state);
    KeepTextShown(state);
}

#ifndef _WIN32
bool LoadSettingsFile(const char* path, SaverState* state)
{
    ProfileNames names;
    FindProfileNames(state, 0, &names);
    if (std::strlen(path) >= sizeof names.path)
        return false;
    std::strcpy(names.path, path);
    LoadSettings(&names, state);
    KeepTextShown(state);
    return true;
}
#endif

#ifdef _WIN32
void ResetSaverState(HWND window)
{
    g_saverState.window = window;
    g_saverState.thread = NULL;
    g_saverState.threadId = 0;
    SetStopFlag(&g_saverState, 0);
    g_saverState.font = NULL;
    g_saverState.brush = NULL;
    TransferSettings(SettingsLoad, &g_saverState);
}
#endif
