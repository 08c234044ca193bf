// The mode switch: separators, the letter in either case, and the window
// handle with its unsigned wrap.
#include <gtest/gtest.h>
#include <cstring>
#include "host/mode_switch.h"

namespace {

struct SwitchCase {
    const char* text;
    int32_t is95Family;
    Mode mode;
    uint32_t handle;
};

const SwitchCase SwitchCases[] = {
    {"", 0, ModeConfigureNoOwner, 0},
    {"/", 0, ModeConfigureNoOwner, 0},
    {" - ", 0, ModeConfigureNoOwner, 0},
    {"/s", 0, ModeSaver, 0},
    {"-S", 0, ModeSaver, 0},
    {"s", 0, ModeSaver, 0},
    {"//--/s", 0, ModeSaver, 0},
    {"/s 123", 0, ModeSaver, 0},
    {"/p 123", 0, ModePreview, 123},
    {"/p123", 0, ModePreview, 123},
    {"/P   123", 0, ModePreview, 123},
    {"/l 123", 0, ModePreview, 123},
    {"/L123", 0, ModePreview, 123},
    {"/p", 0, ModePreview, 0},
    {"/p 0", 0, ModePreview, 0},
    {"/p:123", 0, ModePreview, 0},
    {"/p\t123", 0, ModePreview, 0},       // only spaces are skipped before the handle
    {"/p 123abc", 0, ModePreview, 123},
    {"/c:123", 0, ModeConfigure, 123},
    {"/C:123", 0, ModeConfigure, 123},
    {"/c 123", 0, ModeConfigure, 0},      // no colon, no handle
    {"/c", 0, ModeConfigure, 0},
    {"/c:abc", 0, ModeConfigure, 0},
    {"/c: 123", 0, ModeConfigure, 0},     // nothing is skipped after the colon
    {"/a 123", 1, ModeChangePassword, 123},
    {"/A123", 1, ModeChangePassword, 123},
    {"/a 123", 0, ModeInvalid, 0},
    {"\t/s", 0, ModeInvalid, 0},          // a tab is no separator
    {"/x", 0, ModeInvalid, 0},
    {"/1", 0, ModeInvalid, 0},
    {"/\xE9", 0, ModeInvalid, 0},         // bytes above 0x7F are unrecognised
    {"/\x80s", 0, ModeInvalid, 0},
    {"/p 4294967295", 0, ModePreview, 4294967295u},
    {"/p 4294967296", 0, ModePreview, 0},            // wraps modulo 2^32
    {"/p 4294967297", 0, ModePreview, 1},
    {"/p 99999999999", 0, ModePreview, 1215752191u},
};

TEST(ReadModeSwitch, SeparatorsLettersAndHandles)
{
    for (const SwitchCase& c : SwitchCases) {
        ModeRequest request;
        std::memset(&request, 0xCD, sizeof(request));
        request = ReadModeSwitch(c.text, c.is95Family);
        EXPECT_EQ(c.mode, request.mode) << "\"" << c.text << "\" family " << c.is95Family;
        EXPECT_EQ(c.handle, request.handle) << "\"" << c.text << "\" family " << c.is95Family;
    }
}

TEST(ParseWindowHandle, LeadingDigitsOnlyWithUnsignedWrap)
{
    struct Case { const char* text; uint32_t value; };
    const Case cases[] = {
        {"", 0}, {"abc", 0}, {" 12", 0}, {"-12", 0}, {"+12", 0},
        {"0", 0}, {"007", 7}, {"123abc", 123}, {"12 34", 12},
        {"2147483648", 2147483648u}, {"4294967295", 4294967295u}, {"4294967296", 0},
        {"18446744073709551617", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, ParseWindowHandle(c.text)) << "\"" << c.text << "\"";
}

}  // namespace
