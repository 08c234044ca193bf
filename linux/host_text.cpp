// One pass over the text, a run of blanks at a time.
#include "linux/host_text.h"

namespace {

const char Blank = ' ';
const char Tab = '\t';

}  // namespace

std::string TextAsTyped(const std::string& text)
{
    std::string typed;
    for (size_t i = 0; i < text.size();) {
        size_t end = i;
        bool wrapped = false;
        while (end < text.size() && (text[end] == Blank || text[end] == Tab))
            wrapped |= text[end++] == Tab;
        if (end == i) {
            typed += text[i++];
            continue;
        }
        typed += wrapped ? std::string(1, Blank) : text.substr(i, end - i);
        i = end;
    }
    return typed;
}
