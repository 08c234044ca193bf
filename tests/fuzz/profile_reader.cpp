// Fuzzes the profile reader over any file and any arguments: parsing, every
// encoding, lookups, listings, numbers. The caller's buffer is never written
// past its size and always ends in a NUL after the returned count.
// Input: section, key, default and buffer size on lines of their own, then
// the file's bytes.
#include <cstdlib>
#include <string>
#include "settings/profile_document.h"
#include "fuzz_lines.h"

const int NumberDefault = 7;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzLines input(data, size);
    std::string sectionText, keyText, defaultText;
    const char* section = input.Argument(&sectionText);
    const char* key = input.Argument(&keyText);
    const char* defaultValue = input.Argument(&defaultText);
    unsigned long bufferSize = std::strtoul(input.Line().c_str(), nullptr, 10);
    ProfileDocument document = ParseProfile(input.Rest());

    // The file as read, and a file that cannot be read at all.
    const ProfileDocument* readable = &document;
    for (const ProfileDocument* file : {readable, static_cast<const ProfileDocument*>(nullptr)}) {
        ProfileString result = GetProfileString(file, section, key, defaultValue, bufferSize);
        bool fits = bufferSize == 0 ? result.written.empty()
                                    : result.written.size() == result.count + 1 &&
                                          result.written.size() <= bufferSize && result.written.back() == '\0';
        if (!fits)
            std::abort();
        GetProfileNumber(file, section, key, NumberDefault);
    }
    SerializeProfile(document);
    return 0;
}
