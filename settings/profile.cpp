// Reads and writes the settings record in the private profile file. File,
// section and key names come from the string table. The file lives in the
// user's application-data folder, or, when that folder is unknown or too
// deep for a path buffer, under its bare name in the Windows directory.
#include "settings/profile.h"
#include <shlobj.h>
#include "resources/resource.h"
#include "settings/defaults.h"

const char DecimalFormat[] = "%d";
const char PathSeparator[] = "\\";
const int PathSeparatorLength = sizeof PathSeparator - 1;

// String-table buffers: each name is cut to one character less.
const int FileNameCapacity = 13;
const int SectionCapacity = 40;
const int KeyCapacity = 32;
const int PathCapacity = MAX_PATH;
const int NumberCapacity = 12;          // "-2147483648" and the NUL

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
// a pair of quotes. Reading through a buffer this large also keeps a quoted
// value whole: Wine drops one more character from a quoted value that fills
// the caller's buffer.
const int ValueCapacity = TextCapacity + QuotePairLength;

// The keys in the order in which a save writes them and a load reads them.
enum ProfileKey {
    KeyText, KeyColorR, KeyColorG, KeyColorB, KeyCycle, KeySpeed, KeyMethod,
    KeyHeight, KeyWidth, KeyWeight, KeyCharset, KeyItalic, KeyFaceName, KeyCount
};

const UINT KeyNameIds[KeyCount] = {
    IDS_KEY_TEXT, IDS_KEY_COLOR_R, IDS_KEY_COLOR_G, IDS_KEY_COLOR_B, IDS_KEY_CYCLE,
    IDS_KEY_SPEED, IDS_KEY_METHOD, IDS_KEY_HEIGHT, IDS_KEY_WIDTH, IDS_KEY_WEIGHT,
    IDS_KEY_CHARSET, IDS_KEY_ITALIC, IDS_KEY_FACENAME
};

// Everything one transfer needs to address the file, read afresh each time.
struct ProfileNames {
    char path[PathCapacity];
    char section[SectionCapacity];
    char keys[KeyCount][KeyCapacity];
};

// Folder, backslash and file name, when they fit the buffer with their NUL;
// otherwise the bare file name, as when the folder lookup fails.
static void FindProfilePath(HWND owner, HINSTANCE module, char* path)
{
    char fileName[FileNameCapacity];
    LoadStringA(module, IDS_PROFILE_FILE, fileName, FileNameCapacity);
    if (SHGetSpecialFolderPathA(owner, path, CSIDL_APPDATA, FALSE)) {
        int folderLength = lstrlenA(path);
        if (folderLength + PathSeparatorLength + lstrlenA(fileName) < PathCapacity) {
            lstrcpyA(path + folderLength, PathSeparator);
            lstrcpyA(path + folderLength + PathSeparatorLength, fileName);
            return;
        }
    }
    lstrcpyA(path, fileName);
}

static void LoadProfileNames(HWND owner, ProfileNames* names)
{
    HINSTANCE module = GetModuleHandleA(NULL);
    FindProfilePath(owner, module, names->path);
    LoadStringA(module, IDS_PROFILE_SECTION, names->section, SectionCapacity);
    for (int key = 0; key < KeyCount; ++key)
        LoadStringA(module, KeyNameIds[key], names->keys[key], KeyCapacity);
}

static int ReadProfileNumber(const ProfileNames* names, ProfileKey key, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntA(names->section, names->keys[key], defaultValue, names->path));
}

// Reads a text into a field of capacity characters, cut to capacity - 1.
static void ReadProfileText(const ProfileNames* names, ProfileKey key, const char* defaultValue,
                            char* field, int capacity)
{
    char value[ValueCapacity];
    GetPrivateProfileStringA(names->section, names->keys[key], defaultValue, value,
                             capacity + QuotePairLength, names->path);
    lstrcpynA(field, value, capacity);
}

// Each key's default is the field's default value, which the record holds
// when its key is read.
static void LoadSettings(const ProfileNames* names, SaverState* state)
{
    ApplyDefaultSettings(state);
    ReadProfileText(names, KeyText, state->text, state->text, TextCapacity);
    int red = ReadProfileNumber(names, KeyColorR, GetRValue(state->color));
    int green = ReadProfileNumber(names, KeyColorG, GetGValue(state->color));
    int blue = ReadProfileNumber(names, KeyColorB, GetBValue(state->color));
    state->color = RGB(LOBYTE(red), LOBYTE(green), LOBYTE(blue));
    state->cycle = ReadProfileNumber(names, KeyCycle, state->cycle) != 0;
    state->speed = ReadProfileNumber(names, KeySpeed, state->speed);
    state->method = ReadProfileNumber(names, KeyMethod, state->method);

    LOGFONTA* font = &state->logFont;
    font->lfHeight = ReadProfileNumber(names, KeyHeight, font->lfHeight);
    font->lfWidth = ReadProfileNumber(names, KeyWidth, font->lfWidth);
    font->lfWeight = ReadProfileNumber(names, KeyWeight, font->lfWeight);
    font->lfCharSet = LOBYTE(ReadProfileNumber(names, KeyCharset, font->lfCharSet));
    font->lfItalic = LOBYTE(ReadProfileNumber(names, KeyItalic, font->lfItalic));
    ReadProfileText(names, KeyFaceName, font->lfFaceName, font->lfFaceName, LF_FACESIZE);
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

static void WriteProfileText(const ProfileNames* names, ProfileKey key, const char* field, int capacity)
{
    char value[ValueCapacity];
    PrepareProfileValue(field, capacity, value);
    WritePrivateProfileStringA(names->section, names->keys[key], value, names->path);
}

static void WriteProfileNumber(const ProfileNames* names, ProfileKey key, int number)
{
    char value[NumberCapacity];
    wsprintfA(value, DecimalFormat, number);
    WritePrivateProfileStringA(names->section, names->keys[key], value, names->path);
}

// A failed write is not reported: the caller carries on as after a save.
static void SaveSettings(const ProfileNames* names, const SaverState* state)
{
    WriteProfileText(names, KeyText, state->text, TextCapacity);
    WriteProfileNumber(names, KeyColorR, GetRValue(state->color));
    WriteProfileNumber(names, KeyColorG, GetGValue(state->color));
    WriteProfileNumber(names, KeyColorB, GetBValue(state->color));
    WriteProfileNumber(names, KeyCycle, state->cycle != 0);
    WriteProfileNumber(names, KeySpeed, state->speed);
    WriteProfileNumber(names, KeyMethod, state->method);
    WriteProfileNumber(names, KeyHeight, state->logFont.lfHeight);
    WriteProfileNumber(names, KeyWidth, state->logFont.lfWidth);
    WriteProfileNumber(names, KeyWeight, state->logFont.lfWeight);
    WriteProfileNumber(names, KeyCharset, state->logFont.lfCharSet);
    WriteProfileNumber(names, KeyItalic, state->logFont.lfItalic);
    WriteProfileText(names, KeyFaceName, state->logFont.lfFaceName, LF_FACESIZE);
}

void TransferSettings(int save, SaverState* state)
{
    ProfileNames names;
    LoadProfileNames(state->window, &names);
    if (save == SettingsLoad)
        LoadSettings(&names, state);
    else
        SaveSettings(&names, state);
    // The file keeps an empty text; the record never holds one.
    if (state->text[0] == '\0')
        lstrcpyA(state->text, DefaultText);
}

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
