// The GIF writer, over giflib. giflib hands its bytes to WriteBytes, which
// gathers them into large writes and keeps the system's reason when one
// fails, so that a full disk is named as such.
#include "linux/gif_writer.h"
#include <gif_lib.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <unordered_map>
#include <vector>
#include "settings/file_replacement.h"

struct GifWriter {
    GifFileType* file;
    int descriptor;
    int writeError;                     // errno of the write that failed, or 0
    size_t buffered;
    GifByteType buffer[65536];          // bytes gathered for one write
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

bool Flush(GifWriter* writer)
{
    if (writer->writeError == 0 && !WriteWhole(writer->descriptor, writer->buffer, writer->buffered))
        writer->writeError = errno;
    writer->buffered = 0;
    return writer->writeError == 0;
}

// giflib's output: takes all length bytes, or none once a write has failed.
int WriteBytes(GifFileType* file, const GifByteType* bytes, int length)
{
    GifWriter* writer = static_cast<GifWriter*>(file->UserData);
    for (int done = 0; done < length;) {
        if (writer->buffered == sizeof writer->buffer && !Flush(writer))
            return 0;
        const size_t part = std::min(static_cast<size_t>(length - done), sizeof writer->buffer - writer->buffered);
        std::memcpy(writer->buffer + writer->buffered, bytes + done, part);
        writer->buffered += part;
        done += static_cast<int>(part);
    }
    return length;
}

// Why giflib failed: the system's reason when a write did, else giflib's.
std::string Reason(const GifWriter* writer, int code)
{
    if (writer->writeError != 0)
        return std::strerror(writer->writeError);
    const char* text = GifErrorString(code);
    return std::string("GIF: ") + (text != nullptr ? text : "unknown error");
}

// giflib's colour map, whose allocation failing is the program's running out
// of memory, as any other is.
ColorMapObject* NewColorMap(int count, const GifColorType* colors)
{
    ColorMapObject* map = GifMakeMapObject(count, colors);
    if (map == nullptr)
        throw std::bad_alloc();
    return map;
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
    GifWriter* writer = new GifWriter;
    writer->descriptor = descriptor;
    writer->writeError = 0;
    writer->buffered = 0;
    GifFileType* file = writer->file = EGifOpen(writer, WriteBytes, &code);
    if (file == nullptr) {
        *error = Reason(writer, code);
        delete writer;
        return nullptr;
    }
    EGifSetGifVersion(file, true);
    ColorMapObject* screenColors = NewColorMap(PaletteSize(1), &BlackEntry);
    bool ok = EGifPutScreenDesc(file, width, height, ColorResolution, BackgroundIndex, screenColors) == GIF_OK &&
              EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
              EGifPutExtensionBlock(file, sizeof LoopApplication - 1, LoopApplication) == GIF_OK &&
              EGifPutExtensionBlock(file, sizeof LoopForever, LoopForever) == GIF_OK &&
              EGifPutExtensionTrailer(file) == GIF_OK;
    GifFreeMapObject(screenColors);
    if (!ok) {
        *error = Reason(writer, file->Error);
        EGifCloseFile(file, &code);
        delete writer;
        return nullptr;
    }
    return writer;
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
    ColorMapObject* colors = NewColorMap(static_cast<int>(palette.size()), palette.data());
    GraphicsControlBlock control = {DISPOSE_DO_NOT, false, delay, NO_TRANSPARENT_COLOR};
    GifByteType extension[4];
    size_t extensionLength = EGifGCBToExtension(&control, extension);
    GifFileType* file = writer->file;
    bool ok = EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(extensionLength), extension) == GIF_OK &&
              EGifPutImageDesc(file, box.left, box.top, width, box.bottom - box.top, false, colors) == GIF_OK;
    for (int32_t y = 0; ok && y < box.bottom - box.top; ++y)
        ok = EGifPutLine(file, indices.data() + static_cast<size_t>(y) * width, width) == GIF_OK;
    GifFreeMapObject(colors);
    if (!ok)
        *error = Reason(writer, file->Error);
    return ok;
}

bool FinishGif(GifWriter* writer, std::string* error)
{
    int code = 0;
    bool ok = EGifCloseFile(writer->file, &code) == GIF_OK && Flush(writer);
    if (!ok)
        *error = Reason(writer, code);
    delete writer;
    return ok;
}
