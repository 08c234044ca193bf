// Reading the launcher's switch: separators, one letter in either case, and
// for some letters a window handle in decimal. Bytes are compared as values,
// never passed to character-class functions, so bytes 0x80 to 0xFF are
// simply unrecognised.
#include "host/mode_switch.h"

static bool IsSwitchSeparator(unsigned char c)
{
    return c == ' ' || c == '-' || c == '/';
}

// "p", "l" and "a" allow spaces (not tabs) between the letter and the handle.
static const char* SkipSpaces(const char* text)
{
    while (*text == ' ')
        ++text;
    return text;
}

uint32_t ParseWindowHandle(const char* text)
{
    uint32_t value = 0;
    for (const char* p = text; *p >= '0' && *p <= '9'; ++p)
        value = value * 10u + static_cast<uint32_t>(*p - '0');
    return value;
}

ModeRequest ReadModeSwitch(const char* argumentText, int32_t is95Family)
{
    const char* p = argumentText;
    while (IsSwitchSeparator(static_cast<unsigned char>(*p)))
        ++p;

    ModeRequest request = {ModeInvalid, 0};
    const char* rest = p + 1;
    switch (*p) {
    case '\0':
        request.mode = ModeConfigureNoOwner;
        break;
    case 's': case 'S':
        request.mode = ModeSaver;
        break;
    case 'p': case 'P': case 'l': case 'L':
        request.mode = ModePreview;
        request.handle = ParseWindowHandle(SkipSpaces(rest));
        break;
    case 'c': case 'C':
        request.mode = ModeConfigure;
        if (*rest == ':')
            request.handle = ParseWindowHandle(rest + 1);
        break;
    case 'a': case 'A':
        if (is95Family == 1) {
            request.mode = ModeChangePassword;
            request.handle = ParseWindowHandle(SkipSpaces(rest));
        }
        break;
    default:
        break;
    }
    return request;
}
