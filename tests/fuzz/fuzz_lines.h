// The input of the profile fuzz targets: a few lines of arguments, each up to
// a line feed ("(null)" for a null pointer), then the file's bytes. Seeds stay
// readable text that way.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class FuzzLines {
public:
    FuzzLines(const uint8_t* data, size_t size) : text_(reinterpret_cast<const char*>(data), size) {}

    std::string Line()
    {
        size_t end = text_.find('\n', at_);
        std::string line = text_.substr(at_, end == std::string::npos ? std::string::npos : end - at_);
        at_ = end == std::string::npos ? text_.size() : end + 1;
        return line;
    }
    // The next line as an argument, kept in *storage; null for "(null)".
    const char* Argument(std::string* storage)
    {
        *storage = Line();
        return *storage == "(null)" ? nullptr : storage->c_str();
    }
    std::string Rest() const { return text_.substr(at_); }

private:
    std::string text_;
    size_t at_ = 0;
};
