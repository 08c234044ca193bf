// Reads the private-profile case table and runs its cases. The file of each
// case is written and read back with the C library, the same way on both
// systems.
#include "support/profile_cases.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include "settings/private_profile.h"

namespace {

// Caller's buffers start filled with this, so every byte the function writes
// shows; the guard past the buffer shows a write beyond its size.
const unsigned char Poison = 0xCD;
const size_t GuardBytes = 4;
const char HexDigits[] = "0123456789abcdef";

int HexValue(char c)
{
    const char* at = std::strchr(HexDigits, c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    return (c != '\0' && at != nullptr) ? static_cast<int>(at - HexDigits) : -1;
}

// A reader over one line of the table.
struct Cursor {
    const std::string& line;
    size_t at;
    std::string error;

    void SkipBlanks()
    {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return at >= line.size();
    }
    std::string Word()
    {
        SkipBlanks();
        size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            ++at;
        return line.substr(start, at - start);
    }
    bool Fail(const char* message)
    {
        if (error.empty())
            error = message;
        return false;
    }
    // A quoted string with \\ \" \r \n \t \0 and \xHH escapes.
    bool Quoted(std::string* out)
    {
        SkipBlanks();
        if (at >= line.size() || line[at] != '"')
            return Fail("expected a quoted string");
        out->clear();
        for (++at; at < line.size() && line[at] != '"'; ++at) {
            char c = line[at];
            if (c != '\\') {
                out->push_back(c);
                continue;
            }
            if (++at >= line.size())
                break;
            switch (line[at]) {
            case 'r': out->push_back('\r'); break;
            case 'n': out->push_back('\n'); break;
            case 't': out->push_back('\t'); break;
            case '0': out->push_back('\0'); break;
            case '\\': out->push_back('\\'); break;
            case '"': out->push_back('"'); break;
            case 'x': {
                int high = at + 1 < line.size() ? HexValue(line[at + 1]) : -1;
                int low = at + 2 < line.size() ? HexValue(line[at + 2]) : -1;
                if (high < 0 || low < 0)
                    return Fail("\\x needs two hex digits");
                out->push_back(static_cast<char>(high * 16 + low));
                at += 2;
                break;
            }
            default:
                return Fail("unknown escape");
            }
        }
        if (at >= line.size())
            return Fail("unterminated string");
        ++at;
        return true;
    }
    bool Argument(bool* isNull, std::string* out)
    {
        SkipBlanks();
        *isNull = line.compare(at, 4, "null") == 0;
        if (*isNull) {
            at += 4;
            return true;
        }
        return Quoted(out);
    }
    bool Number(long* out)
    {
        std::string word = Word();
        char* end = nullptr;
        *out = std::strtol(word.c_str(), &end, 10);
        return (!word.empty() && *end == '\0') || Fail("expected a number");
    }
    // One piece of a file's bytes: "text", "text" * N, or "text %d" *# N with
    // the copy's number, 0 to N-1, in place of each %d.
    bool Piece(std::string* bytes)
    {
        std::string text;
        if (!Quoted(&text))
            return false;
        SkipBlanks();
        if (at >= line.size() || line[at] != '*') {
            bytes->append(text);
            return true;
        }
        bool numbered = at + 1 < line.size() && line[at + 1] == '#';
        at += numbered ? 2 : 1;
        long count = 0;
        if (!Number(&count) || count < 0)
            return Fail("expected a count");
        if (!numbered) {
            bytes->append(RepeatBytes(text, count));
            return true;
        }
        for (long i = 0; i < count; ++i) {
            std::string copy = text;
            for (size_t mark = copy.find("%d"); mark != std::string::npos; mark = copy.find("%d", mark))
                copy.replace(mark, 2, std::to_string(i));
            bytes->append(copy);
        }
        return true;
    }
    bool Pieces(std::string* bytes)
    {
        do {
            if (!Piece(bytes))
                return false;
            SkipBlanks();
        } while (at < line.size() && line[at++] == '+');
        return AtEnd() || Fail("unexpected text after the file's bytes");
    }
};

bool ParseCall(Cursor* cursor, const std::string& call, ProfileCase* c)
{
    c->call = call;
    int strings = call == "int" ? 2 : 3;
    for (int i = 0; i < strings; ++i)
        if (!cursor->Argument(&c->isNull[i], &c->arguments[i]))
            return false;
    if (call != "write" && !cursor->Number(&c->number))
        return false;
    return cursor->AtEnd() || cursor->Fail("unexpected text after the call");
}

const char* Argument(const ProfileCase& c, int i) { return c.isNull[i] ? nullptr : c.arguments[i].c_str(); }

} // namespace

std::string RepeatBytes(const std::string& piece, long count)
{
    std::string bytes;
    for (long i = 0; i < count; ++i)
        bytes += piece;
    return bytes;
}

std::string EscapeBytes(const std::string& bytes)
{
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            out += "\\x";
            out.push_back(HexDigits[c >> 4]);
            out.push_back(HexDigits[c & 0xF]);
        }
    }
    return out + "\"";
}

bool ParseProfileCases(const std::string& text, std::vector<ProfileCase>* cases, std::string* error)
{
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    cases->clear();
    while (std::getline(lines, line)) {
        ++number;
        Cursor cursor{line, 0, std::string()};
        if (cursor.AtEnd() || line[cursor.at] == '#')
            continue;
        bool ok = true;
        if (line[cursor.at] == '+') {
            ++cursor.at;
            ok = !cases->empty() && cases->back().hasFile ? cursor.Pieces(&cases->back().bytes)
                                                         : cursor.Fail("a continuation without a file");
        } else {
            std::string word = cursor.Word();
            if (word == "case") {
                cases->push_back(ProfileCase());
                cases->back().name = cursor.Word();
                cases->back().line = number;
                ok = !cases->back().name.empty() || cursor.Fail("a case needs a name");
            } else if (cases->empty()) {
                ok = cursor.Fail("expected 'case NAME' first");
            } else if (word == "file") {
                cases->back().hasFile = true;
                ok = cursor.Pieces(&cases->back().bytes);
            } else if (word == "get" || word == "int" || word == "write") {
                ok = cases->back().call.empty() ? ParseCall(&cursor, word, &cases->back())
                                                : cursor.Fail("one call per case");
            } else {
                ok = cursor.Fail("unknown line");
            }
        }
        if (!ok) {
            *error = "line " + std::to_string(number) + ": " + cursor.error;
            return false;
        }
    }
    for (const ProfileCase& c : *cases)
        if (c.call.empty()) {
            *error = "line " + std::to_string(c.line) + ": case " + c.name + " has no call";
            return false;
        }
    return true;
}

std::string ProfileTableDigest(const std::string& text)
{
    // FNV-1a, 64 bits.
    unsigned long long hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", hash);
    return digits;
}

bool ReadWholeFile(const std::string& path, std::string* bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    bytes->clear();
    char chunk[65536];
    size_t read;
    while ((read = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->append(chunk, read);
    bool ok = !std::ferror(file);
    return (std::fclose(file) == 0) && ok;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return (std::fclose(file) == 0) && ok;
}

std::string ObserveProfileCase(const ProfileCase& c, const std::string& folder, int serial)
{
    // A file name of its own per case: Windows keeps recently used profiles
    // in memory and would otherwise answer from an earlier case's file.
    std::string path = folder + "/case-" + std::to_string(serial) + ".ini";
    std::ostringstream out;
    out << "case " << c.name << "\n";
    if (c.hasFile) {
        if (!WriteWholeFile(path, c.bytes))
            return out.str() + "error cannot write " + path + "\n";
    }
    const char* section = Argument(c, 0);
    const char* key = Argument(c, 1);
    const char* third = Argument(c, 2);
    if (c.call == "get") {
        DWORD size = static_cast<DWORD>(c.number);
        std::string buffer(size + GuardBytes, static_cast<char>(Poison));
        DWORD result = GetPrivateProfileStringA(section, key, third, &buffer[0], size, path.c_str());
        out << "result " << result << "\nbuffer " << EscapeBytes(buffer) << "\n";
    } else if (c.call == "int") {
        UINT result = GetPrivateProfileIntA(section, key, static_cast<INT>(c.number), path.c_str());
        out << "result " << result << "\n";
    } else {
        BOOL result = WritePrivateProfileStringA(section, key, third, path.c_str());
        out << "result " << (result ? 1 : 0) << "\n";
    }
    std::string after;
    out << "file " << (ReadWholeFile(path, &after) ? EscapeBytes(after) : "none") << "\n";
    std::remove(path.c_str());
    return out.str();
}
