// The GIF writer, over giflib. The descriptor is duplicated for giflib,
// which closes what it is given, so the caller can still flush and close
// its own.
#include "linux/gif_writer.h"
#include <gif_lib.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

struct GifWriter {
    GifFileType* file;
    int width;
    int height;
};

namespace {

const int PaletteLimit = 256;
const int ColorResolution = 8;
const int BackgroundIndex = 0;
const GifColorType BlackEntry = {0, 0, 0};
// The application extension that makes viewers loop: "NETSCAPE2.0", then
// sub-block 1 with a loop count of 0, for ever.
const char LoopApplication[] = "NETSCAPE2.0";
const GifByteType LoopForever[] = {1, 0, 0};

std::string Reason(int code)
{
    const char* text = GifErrorString(code);
    return std::string("GIF: ") + (text != nullptr ? text : "unknown error");
}

// The smallest power of two palette size giflib accepts for count colours.
int PaletteSize(int count)
{
    int size = 2;
    while (size < count)
        size *= 2;
    return size;
}

}  // namespace

GifWriter* StartGif(int descriptor, int width, int height, std::string* error)
{
    int code = 0;
    int own = dup(descriptor);
    GifFileType* file = own >= 0 ? EGifOpenFileHandle(own, &code) : nullptr;
    if (file == nullptr) {
        if (own >= 0)
            close(own);
        *error = Reason(code);
        return nullptr;
    }
    EGifSetGifVersion(file, true);
    ColorMapObject* screenColors = GifMakeMapObject(PaletteSize(1), &BlackEntry);
    bool ok = screenColors != nullptr &&
              EGifPutScreenDesc(file, width, height, ColorResolution, BackgroundIndex, screenColors) == GIF_OK &&
              EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
              EGifPutExtensionBlock(file, sizeof LoopApplication - 1, LoopApplication) == GIF_OK &&
              EGifPutExtensionBlock(file, sizeof LoopForever, LoopForever) == GIF_OK &&
              EGifPutExtensionTrailer(file) == GIF_OK;
    GifFreeMapObject(screenColors);
    if (!ok) {
        *error = Reason(file->Error);
        EGifCloseFile(file, &code);
        return nullptr;
    }
    return new GifWriter{file, width, height};
}

bool AddGifPicture(GifWriter* writer, const uint32_t* pixels, int stride, RECT box, int delay, std::string* error)
{
    if (box.left >= box.right || box.top >= box.bottom)
        box = {0, 0, 1, 1};             // one pixel, as it is: only the delay counts
    const int width = box.right - box.left;
    std::vector<GifColorType> palette;
    std::unordered_map<uint32_t, GifPixelType> indexOf;
    std::vector<GifPixelType> indices(static_cast<size_t>(width) * (box.bottom - box.top));
    size_t at = 0;
    for (int32_t y = box.top; y < box.bottom; ++y) {
        const uint32_t* row = pixels + static_cast<size_t>(y) * stride;
        for (int32_t x = box.left; x < box.right; ++x) {
            uint32_t rgb = row[x] & 0xFFFFFF;
            auto found = indexOf.find(rgb);
            if (found == indexOf.end()) {
                if (static_cast<int>(palette.size()) == PaletteLimit) {
                    *error = "GIF: more than 256 colours in one picture";
                    return false;
                }
                found = indexOf.emplace(rgb, static_cast<GifPixelType>(palette.size())).first;
                palette.push_back({static_cast<GifByteType>(rgb >> 16), static_cast<GifByteType>(rgb >> 8),
                                   static_cast<GifByteType>(rgb)});
            }
            indices[at++] = found->second;
        }
    }
    palette.resize(PaletteSize(static_cast<int>(palette.size())), BlackEntry);
    ColorMapObject* colors = GifMakeMapObject(static_cast<int>(palette.size()), palette.data());
    GraphicsControlBlock control = {DISPOSE_DO_NOT, false, delay, NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    size_t extensionLength = EGifGCBToExtension(&control, extension);
    GifFileType* file = writer->file;
    bool ok = colors != nullptr &&
              EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extensionLength), extension) == GIF_OK &&
              EGifPutImageDesc(file, box.left, box.top, width, box.bottom - box.top, false, colors) == GIF_OK;
    for (int32_t y = 0; ok && y < box.bottom - box.top; ++y)
        ok = EGifPutLine(file, indices.data() + static_cast<size_t>(y) * width, width) == GIF_OK;
    GifFreeMapObject(colors);
    if (!ok)
        *error = Reason(file->Error);
    return ok;
}

bool FinishGif(GifWriter* writer, std::string* error)
{
    int code = 0;
    bool ok = EGifCloseFile(writer->file, &code) == GIF_OK;
    if (!ok)
        *error = Reason(code);
    delete writer;
    return ok;
}
