// Adding a program to xscreensaver's list by editing the text in place: the
// lines around the list, and the entries in it, stay byte for byte as they
// were, whoever wrote them (the settings program aligns them with tabs and
// wraps long ones), and the new entry goes after the last.
#include "linux/xscreensaver_list.h"
#include <vector>

namespace {

const char ListName[] = "programs";
const char AnyClass = '*';              // "*programs:" in a defaults file names every class
const char NameEnd = ':';
const char Continued = '\\';            // a line ending in it goes on on the next
const char EntryEnd[] = "\\n";
const char Blanks[] = " \t";
const char Disabled = '-';
const char Quote = '"';
const char EntryIndent[] = "\t\t\t\t";  // as the settings program indents entries

struct ListLines {
    size_t first, last;                 // the list's lines, the last one not continued
};

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i == 0 ? "" : "\n") + lines[i];
    return text;
}

bool Continues(const std::string& line)
{
    return !line.empty() && line.back() == Continued;
}

std::string TrimRight(const std::string& text)
{
    size_t end = text.find_last_not_of(Blanks);
    return end == std::string::npos ? "" : text.substr(0, end + 1);
}

// Where the list's name ends (after its ':'), or npos when line starts no list.
size_t ListNameEnd(const std::string& line)
{
    size_t i = line.find_first_not_of(Blanks);
    if (i != std::string::npos && line[i] == AnyClass)
        ++i;
    const size_t length = sizeof ListName - 1;
    if (i == std::string::npos || line.compare(i, length, ListName) != 0)
        return std::string::npos;
    i = line.find_first_not_of(Blanks, i + length);
    return i != std::string::npos && line[i] == NameEnd ? i + 1 : std::string::npos;
}

// A line that goes on from the one before it is never the start of a list.
bool FindList(const std::vector<std::string>& lines, ListLines* span)
{
    bool continued = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!continued && ListNameEnd(lines[i]) != std::string::npos) {
            size_t last = i;
            while (last + 1 < lines.size() && Continues(lines[last]))
                ++last;
            *span = {i, last};
            return true;
        }
        continued = Continues(lines[i]);
    }
    return false;
}

// What line holds of the list's value: without the name, or the backslash.
std::string ValuePart(const std::vector<std::string>& lines, const ListLines& span, size_t i)
{
    std::string part = i == span.first ? lines[i].substr(ListNameEnd(lines[i])) : lines[i];
    if (Continues(part))
        part.pop_back();
    return part;
}

// An entry's command name: past "-", a visual ("GL:") and a quoted name,
// the first word without its folder.
std::string ProgramOf(const std::string& entry)
{
    size_t i = entry.find_first_not_of(Blanks);
    if (i != std::string::npos && entry[i] == Disabled)
        i = entry.find_first_not_of(Blanks, i + 1);
    if (i == std::string::npos)
        return "";
    size_t wordEnd = entry.find_first_of(Blanks, i);
    if (entry[i] != Quote && wordEnd != std::string::npos && entry[wordEnd - 1] == NameEnd)
        i = entry.find_first_not_of(Blanks, wordEnd);
    if (i != std::string::npos && entry[i] == Quote) {
        size_t close = entry.find(Quote, i + 1);
        i = close == std::string::npos ? close : entry.find_first_not_of(Blanks, close + 1);
    }
    if (i == std::string::npos)
        return "";
    const std::string word = entry.substr(i, entry.find_first_of(Blanks, i) - i);
    return word.substr(word.rfind('/') + 1);
}

bool ListsProgram(const std::string& value, const std::string& program)
{
    size_t start = 0;
    for (;;) {
        size_t end = value.find(EntryEnd, start);
        if (ProgramOf(value.substr(start, end - start)) == program)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + sizeof EntryEnd - 1;
    }
}

// The defaults' list under the name the settings give it.
std::vector<std::string> ListOfDefaults(const std::string& defaults)
{
    const std::vector<std::string> lines = SplitLines(defaults);
    ListLines span;
    if (!FindList(lines, &span))
        return {};
    std::vector<std::string> list(lines.begin() + span.first, lines.begin() + span.last + 1);
    size_t star = list[0].find(AnyClass);
    if (star != std::string::npos && star < list[0].find(ListName))
        list[0].erase(star, 1);
    return list;
}

}  // namespace

ListEdit AddListEntry(const std::string& settings, const std::string& defaults, const std::string& program,
                      const std::string& entry, std::string* result)
{
    std::vector<std::string> lines = SplitLines(settings);
    ListLines span;
    if (!FindList(lines, &span)) {
        std::vector<std::string> list = ListOfDefaults(defaults);
        if (list.empty())
            return ListMissing;
        // Appended after the settings' last line, the text still ending in a line end.
        if (lines.back().empty())
            lines.pop_back();
        lines.insert(lines.end(), list.begin(), list.end());
        lines.push_back("");
        FindList(lines, &span);
    }
    std::string value;
    for (size_t i = span.first; i <= span.last; ++i)
        value += ValuePart(lines, span, i);
    if (ListsProgram(value, program)) {
        *result = settings;
        return ListHasProgram;
    }

    // The new entry follows the last line with an entry on it; blank lines
    // that close the list stay after it.
    size_t last = span.last;
    while (last > span.first && TrimRight(ValuePart(lines, span, last)).empty())
        --last;
    const std::string entries = TrimRight(value);
    const size_t endLength = sizeof EntryEnd - 1;
    const bool ended = entries.size() >= endLength && entries.compare(entries.size() - endLength, endLength, EntryEnd) == 0;
    const bool separate = !entries.empty() && !ended;
    if (separate || last == span.last) {
        std::string& line = lines[last];
        if (Continues(line))
            line.pop_back();
        line = TrimRight(line) + (separate ? std::string(" ") + EntryEnd : "") + Continued;
    }
    std::string added = EntryIndent + entry + " " + EntryEnd;
    if (last != span.last)
        added += Continued;
    lines.insert(lines.begin() + last + 1, added);
    *result = JoinLines(lines);
    return ListEntryAdded;
}
