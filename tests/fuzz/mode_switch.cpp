// Fuzzes the mode-switch parser with any argument text. The first byte's
// lowest bit says whether the system is of the 95 family; the rest, up to a
// NUL, is the text after the program's name.
#include <cstdlib>
#include <string>
#include "host/mode_switch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    int32_t is95Family = data[0] & 1;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    ModeRequest request = ReadModeSwitch(text.c_str(), is95Family);
    if (request.mode < ModeConfigureNoOwner || request.mode > ModeInvalid)
        std::abort();
    if (request.mode == ModeChangePassword && !is95Family)
        std::abort();
    ParseWindowHandle(text.c_str());
    return 0;
}
