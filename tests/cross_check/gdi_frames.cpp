// Draws frames with the Windows frame code and the GDI backend on a memory
// surface, for the cross-check against the native renderer. Each line of
// standard input is one case: "seed frames width height method text"; the
// case's last frame is written as case-<line>.pbm (1 for a lit pixel) into
// the folder named by the one argument.
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "animation/frame.h"
#include "settings/defaults.h"
#include "support/memory_surface.h"

namespace {

const int LineCapacity = 512;

struct FrameCase {
    unsigned seed;
    int frames;
    int width;
    int height;
    int method;
    char text[TextCapacity];
};

bool ReadCase(const char* line, FrameCase* c)
{
    int consumed = 0;
    if (std::sscanf(line, "%u %d %d %d %d %n", &c->seed, &c->frames, &c->width, &c->height, &c->method,
                    &consumed) != 5)
        return false;
    lstrcpynA(c->text, line + consumed, TextCapacity);
    c->text[std::strcspn(c->text, "\r\n")] = '\0';
    return c->width > 0 && c->height > 0;
}

// The last frame's pixels as a plain bitmap: 1 where anything is lit.
bool WriteBitmap(const char* path, const DWORD* pixels, int width, int height)
{
    FILE* file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    std::fprintf(file, "P4\n%d %d\n", width, height);
    std::vector<unsigned char> row((width + 7) / 8);
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0);
        for (int x = 0; x < width; ++x)
            if ((pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF) != 0)
                row[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        std::fwrite(row.data(), 1, row.size(), file);
    }
    return std::fclose(file) == 0;
}

bool DrawCase(const FrameCase& c, const char* path)
{
    MemorySurface surface(c.width, c.height);
    HDC dc = surface.dc();

    static SaverState state;
    ApplyDefaultSettings(&state);
    lstrcpynA(state.text, c.text, TextCapacity);
    state.method = c.method;
    state.cycle = 0;
    state.font = CreateSurfaceFont(&state.logFont);
    state.brush = CreateColorBrush(state.color);
    static Animation animation;
    const RECT bounds = {0, 0, c.width, c.height};
    StartFrames(&animation, &state, dc, bounds, c.seed);
    for (int frame = 0; frame < c.frames; ++frame)
        DrawFrame(&animation, &state, dc);
    EndFrames(&animation);
    GdiFlush();
    bool written = surface.Valid() && WriteBitmap(path, surface.bits(), c.width, c.height);
    DeleteSurfaceFont(state.font);
    DeleteSurfaceBrush(state.brush);
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    char line[LineCapacity];
    int number = 0;
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
        FrameCase c;
        if (!ReadCase(line, &c))
            return 2;
        std::string path = std::string(argv[1]) + "\\case-" + std::to_string(number++) + ".pbm";
        if (!DrawCase(c, path.c_str()))
            return 1;
    }
    return 0;
}
