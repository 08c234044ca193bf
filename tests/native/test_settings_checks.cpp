// What a settings file holds that the program cannot use as written: each
// case a file's bytes and the one line that names its problems.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "settings/settings_checks.h"
#include "support/profile_cases.h"

namespace {

const char Path[] = "/home/u/.config/lumivane/control.ini";
const std::string Section = "[Screen Saver.Lumivane]\r\n";
const std::string Grinning = "\xF0\x9F\x98\x80";    // U+1F600, two UTF-16 units


struct CheckCase {
    std::string file;
    std::string said;                   // after "PATH: "; empty for no line
};

const CheckCase Cases[] = {
    {Section + "method=2\r\nCOLORR=0\r\nColorG=255\r\nColorB=\"5\"\r\nCycle=0\r\nlfItalic=1\r\nSpeed=0x10\r\n"
               "lfHeight=-72\r\nlfCharset=204\r\nText= any words \r\n; a comment\r\nlfWidth=\r\n",
     ""},
    {"Method=9\r\n[Other]\r\nColor=1\r\n" + Section + "Method=1\r\n[screen saver.lumivane]\r\nMethod=x\r\n", ""},
    {Section + "Method = straightbeam\r\nMethod = 1\r\n",
     "Method = straightbeam (not a number: the program uses 0); Method = 1 (given again: the first Method is used)"},
    {Section + "Method=3\r\nSpeed=-0x\r\nlfWeight=700 bold\r\n",
     "Method = 3 (outside 0..2: the program uses 0); Speed = -0x (not a number: the program uses 0); "
     "lfWeight = 700 bold (not a number: the program uses 700)"},
    {Section + "ColorR=300\r\nColorG=-1\r\nColorB=256\r\nlfCharset=12abc\r\n",
     "ColorR = 300 (outside 0..255: the program uses 44); ColorG = -1 (outside 0..255: the program uses 255); "
     "ColorB = 256 (outside 0..255: the program uses 0); lfCharset = 12abc (not a number: the program uses 12)"},
    {Section + "Cycle=5\r\nlfItalic=256\r\nlfHeight=-72\r\n",
     "Cycle = 5 (outside 0..1: the program uses 1); lfItalic = 256 (outside 0..1: the program uses 0)"},
    {Section + "Color = #00FF00\r\nColour=red\r\nMethod 2\r\n",
     "Color = #00FF00 (no such key: perhaps ColorR/ColorG/ColorB); Colour = red (no such key); "
     "Method 2 (no \"=\": not read)"},
    {Section + "a=1\r\nb=1\r\nc=1\r\nd=1\r\ne=1\r\nf=1\r\ng=1\r\n",
     "a = 1 (no such key); b = 1 (no such key); c = 1 (no such key); d = 1 (no such key); e = 1 (no such key); "
     "and 2 more"},
    {Section + "Speed=1\x1b[31m\r\nWords=" + std::string(50, 'x') + "\r\n",
     "Speed = 1?[31m (not a number: the program uses 1); Words = " + std::string(40, 'x') + "... (no such key)"},
    {"\xEF\xBB\xBF" + Section + "Farbe=gr\xC3\xBCn\r\n", "Farbe = gr\xC3\xBCn (no such key)"},
    // Without a mark as the load reads it; cut by whole characters; C1 controls shown as "?".
    {Section + "Farbe=gr\xC3\xBCn\r\n\xD0\xA6\xD0\xB2\xD0\xB5\xD1\x82=" + RepeatBytes(Grinning, 41) + "\r\nWords=\xC2\x9B" "1m\r\n",
     "Farbe = gr\xC3\xBCn (no such key); \xD0\xA6\xD0\xB2\xD0\xB5\xD1\x82 = " + RepeatBytes(Grinning, 40) +
         "... (no such key); Words = ?1m (no such key)"},
    {Section + "Farbe=gr\xFCn\r\n", "Farbe = gr\xC3\xBCn (no such key)"},
};

}  // namespace

TEST(SettingsChecks, NameEachValueTheProgramCannotUseOnOneLine)
{
    ProfileNames names;
    FindProfileNames(nullptr, 0, &names);
    std::strcpy(names.path, Path);
    for (const CheckCase& c : Cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(c.said.empty() ? "" : std::string(Path) + ": " + c.said, CheckSettings(ParseProfile(c.file, MarklessUtf8OrAnsi), names));
    }
}
