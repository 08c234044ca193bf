// lumivane-render: the saver drawn without a display, frame after frame on an
// image, written as an animated GIF that plays at about the speed the saver
// moves on screen, or as a PNG of the last frame. The settings are the
// defaults, or those of a settings file, then the options.
#include <cairo.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <new>
#include <string>
#include "animation/float_model.h"
#include "animation/frame.h"
#include "animation/surface_cairo.h"
#include "linux/frame_run.h"
#include "linux/gif_writer.h"
#include "linux/output_file.h"
#include "linux/settings_options.h"
#include "settings/defaults.h"
#include "settings/profile.h"
#include "settings/profile_names.h"
#include "settings/profile_reads.h"

namespace {

const char Program[] = "lumivane-render";
const char OutOfMemory[] = "out of memory";
const int ExitFailed = 1;
const int ExitBadInput = 2;
const int DefaultWidth = 1920;
const int DefaultHeight = 1080;
const int64_t LargestSide = 16384;
const int64_t DefaultFrames = 300;
// On screen a frame takes the 5 ms sleep and a little drawing. GIF delays
// count hundredths of a second and viewers slow down anything under two, so
// each picture shows every fourth frame for 20 ms.
const int FramesPerPicture = 4;
const int PictureDelay = 2;
// Progress is shown once a render has run this long, and then as often.
const std::chrono::seconds ProgressInterval(1);

enum OutputKind { OutputGif, OutputPng };

struct RenderRequest {
    SaverState settings;
    int width;
    int height;
    uint32_t seed;
    int64_t frames;
    std::string output;
    OutputKind kind;
    std::string settingsFile;           // empty when the settings start from the defaults
};

const char Usage[] =
    "usage: lumivane-render [options] OUTPUT.gif|OUTPUT.png\n"
    "Renders the Lumivane screen saver without a display: an animated GIF of the\n"
    "frames, or a PNG of the last one.\n"
    "\n"
    "Settings:\n"
    "  --settings FILE    start from the settings in FILE, a settings file as the\n"
    "                     saver keeps in ~/.config/lumivane/control.ini; the other\n"
    "                     options change them, wherever they stand\n";
const char RenderOptionsHelp[] =
    "\n"
    "Rendering:\n"
    "  --size WxH         picture size in pixels, each side 1 to 16384 (default 1920x1080)\n"
    "  --seed N           where the beams start and how they move (default: the clock)\n"
    "  --frames N         how many frames to draw (default 300)\n"
    "  -h, --help, --version\n";

std::string CannotWrite(const std::string& path, const std::string& reason)
{
    return "cannot write " + path + ": " + reason;
}

// One line on stderr, and the exit code to end with.
int Say(const std::string& message, int exitCode)
{
    std::fprintf(stderr, "%s: %s\n", Program, message.c_str());
    return exitCode;
}

int Refuse(const std::string& message)
{
    return Say(message, ExitBadInput);
}

bool EndsWith(std::string text, const char* ending)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t n = std::strlen(ending);
    return text.size() >= n && text.compare(text.size() - n, n, ending) == 0;
}

bool ParseSize(const std::string& text, int* width, int* height)
{
    size_t x = text.find_first_of("xX");
    int64_t w = 0, h = 0;
    if (x == std::string::npos || !ParseNumber(text.substr(0, x), 1, LargestSide, &w) ||
        !ParseNumber(text.substr(x + 1), 1, LargestSide, &h))
        return false;
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return true;
}

// Reads the command line into request. Returns -1 to go on, or the exit
// code to end with at once (help, version, bad input). Read again over a
// settings file's settings, it gives the same answer.
int ReadRequest(int argc, char** argv, RenderRequest* request)
{
    CommandLine line = {argc, argv, 1, false};
    Argument argument;
    std::string value, error;
    bool haveOutput = false;
    bool haveSettings = false;
    while (ReadArgument(&line, &argument)) {
        if (!argument.isOption) {
            if (haveOutput)
                return Refuse("one output file only: \"" + argument.text + "\" is one too many");
            request->output = argument.text;
            haveOutput = true;
            continue;
        }
        const std::string& name = argument.name;
        if (name == "settings") {
            if (!TakeValue(&line, argument, &value, &error))
                return Refuse(error);
            if (haveSettings)
                return Refuse("one settings file only: \"" + value + "\" is one too many");
            request->settingsFile = value;
            haveSettings = true;
            continue;
        }
        SettingOutcome setting = ApplySettingOption(&line, argument, &request->settings, &error);
        if (setting == SettingRejected)
            return Refuse(error);
        if (setting == SettingTaken)
            continue;
        if (AnswerHelpOrVersion(name, Program, Usage, RenderOptionsHelp))
            return 0;
        if (name == "size" || name == "seed" || name == "frames") {
            if (!TakeValue(&line, argument, &value, &error))
                return Refuse(error);
            if (name == "size" && !ParseSize(value, &request->width, &request->height))
                return Refuse("--size wants WIDTHxHEIGHT, each from 1 to 16384, not \"" + value + "\"");
            if ((name == "seed" && !ParseSeed(value, &request->seed, &error)) ||
                (name == "frames" && !ParseFrameCount(value, &request->frames, &error)))
                return Refuse(error);
            continue;
        }
        return Refuse("unknown option \"" + std::string(argv[line.next - 1]) + "\" (see --help)");
    }
    if (!haveOutput)
        return Refuse("no output file (see --help)");
    if (EndsWith(request->output, ".gif"))
        request->kind = OutputGif;
    else if (EndsWith(request->output, ".png"))
        request->kind = OutputPng;
    else
        return Refuse("the output must end in .gif or .png: \"" + request->output + "\"");
    return -1;
}

// Loads settings from the settings file at path as the saver loads its own,
// and says what it could not use of the values, as the saver does. A file
// that cannot serve is bad input: returns -1 to go on, or the exit code.
int LoadSettingsFrom(const std::string& path, SaverState* settings)
{
    if (!LoadSettingsFile(path.c_str(), settings))
        return Refuse(path + " cannot be read (" + std::strerror(ENAMETOOLONG) + ")");
    switch (LastSettingsFileUse()) {
    case SettingsFileMissing:
        return Refuse("no settings file " + path);
    case SettingsFileUnusable:
        return Refuse(SettingsFileUnusableReason());
    case SettingsFileWithoutSection:
        return Refuse(path + " holds no [" PROFILE_SECTION_NAME "] section: no settings file");
    case SettingsFileUsed:
        break;
    }
    if (!SettingsFileProblem().empty())
        Say(SettingsFileProblem(), 0);
    return -1;
}

// Progress on stderr for renders that take more than a moment.
struct Progress {
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point nextReport;
    bool shown;
};

void ReportProgress(Progress* progress, int64_t frame, int64_t frames)
{
    auto now = std::chrono::steady_clock::now();
    if (now < progress->nextReport && frame < frames)
        return;
    if (!progress->shown && frame == frames)
        return;                         // done before there was anything to report
    progress->nextReport = now + ProgressInterval;
    progress->shown = true;
    const bool terminal = isatty(STDERR_FILENO) != 0;
    std::fprintf(stderr, "%s%s: frame %lld of %lld%s", terminal ? "\r" : "", Program, static_cast<long long>(frame),
                 static_cast<long long>(frames), terminal && frame < frames ? "" : "\n");
}

// Where cairo's PNG goes, and the system's reason when a write fails.
struct PngOutput {
    int descriptor;
    int writeError;
};

cairo_status_t WriteToDescriptor(void* closure, const unsigned char* data, unsigned int length)
{
    PngOutput* output = static_cast<PngOutput*>(closure);
    if (WriteWhole(output->descriptor, data, length))
        return CAIRO_STATUS_SUCCESS;
    output->writeError = errno;
    return CAIRO_STATUS_WRITE_ERROR;
}

// Draws the frames on surface and writes the output to descriptor. False,
// with the reason, when the output cannot be written.
bool Render(const RenderRequest& request, Surface surface, int descriptor, std::string* reason)
{
    static Animation animation;         // about 40 KB
    const RECT bounds = {0, 0, request.width, request.height};
    StartFrames(&animation, &request.settings, surface, bounds, request.seed);

    GifWriter* gif = nullptr;
    if (request.kind == OutputGif && (gif = StartGif(descriptor, request.width, request.height, reason)) == nullptr)
        return false;
    Progress progress = {std::chrono::steady_clock::now(), std::chrono::steady_clock::now() + ProgressInterval, false};
    bool ok = true;
    for (int64_t frame = 1; ok && frame <= request.frames; ++frame) {
        // Only the frames that are kept are drawn; what they show does not
        // depend on which steps were drawn before them.
        StepFrame(&animation, &request.settings);
        const bool kept = frame == request.frames || (gif != nullptr && frame % FramesPerPicture == 0);
        if (kept)
            ShowFrame(&animation, &request.settings, surface);
        if (gif != nullptr && kept) {
            cairo_surface_t* image = SurfaceImage(surface);
            ok = AddGifPicture(gif, reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image)),
                               cairo_image_surface_get_stride(image) / 4, TakeSurfaceDamage(surface),
                               PictureDelay, reason);
        }
        ReportProgress(&progress, frame, request.frames);
    }
    EndFrames(&animation);
    if (gif != nullptr) {
        std::string ending;             // the first failure is the one to tell
        const bool ended = FinishGif(gif, &ending);
        if (ok && !ended)
            *reason = ending;
        return ok && ended;
    }
    PngOutput output = {descriptor, 0};
    cairo_status_t status = cairo_surface_write_to_png_stream(SurfaceImage(surface), WriteToDescriptor, &output);
    if (status == CAIRO_STATUS_NO_MEMORY)
        throw std::bad_alloc();
    if (status != CAIRO_STATUS_SUCCESS)
        *reason = output.writeError != 0 ? std::strerror(output.writeError) : cairo_status_to_string(status);
    return status == CAIRO_STATUS_SUCCESS;
}

// Draws the picture the request asks for into descriptor. False, with what
// went wrong, on failure.
bool Produce(RenderRequest* request, int descriptor, std::string* error)
{
    SaverState* settings = &request->settings;
    settings->font = CreateSurfaceFont(&settings->logFont);
    if (settings->font == NULL) {
        *error = "no usable font: fontconfig offers no face for \"" + std::string(settings->logFont.lfFaceName) +
                 "\" that can be drawn";
        return false;
    }
    Surface surface = CreateImageSurface(request->width, request->height);
    if (surface == NULL) {
        DeleteSurfaceFont(settings->font);
        *error = std::string(OutOfMemory) + " for a " + std::to_string(request->width) + "x" +
                 std::to_string(request->height) + " picture";
        return false;
    }
    settings->brush = CreateColorBrush(settings->color);
    std::string reason;
    bool ok = Render(*request, surface, descriptor, &reason);
    if (!ok)
        *error = CannotWrite(request->output, reason);
    DeleteSurfaceFont(settings->font);
    DeleteSurfaceBrush(settings->brush);
    DestroyImageSurface(surface);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    UseDoublePrecision();
    static RenderRequest request;
    ApplyDefaultSettings(&request.settings);
    request.width = DefaultWidth;
    request.height = DefaultHeight;
    request.seed = static_cast<uint32_t>(std::time(nullptr));
    request.frames = DefaultFrames;
    int exitCode = ReadRequest(argc, argv, &request);
    if (exitCode >= 0)
        return exitCode;
    // The file first, then the options over it.
    if (!request.settingsFile.empty()) {
        if ((exitCode = LoadSettingsFrom(request.settingsFile, &request.settings)) >= 0)
            return exitCode;
        ReadRequest(argc, argv, &request);
    }

    FileReplacement output;
    std::string error, reason;
    bool ok = OpenOutputFile(request.output, &output, &reason);
    if (!ok)
        return Say(CannotWrite(request.output, reason), ExitFailed);
    // Whatever runs out of memory ends here, with the new file removed.
    try {
        ok = Produce(&request, output.descriptor, &error);
    } catch (const std::bad_alloc&) {
        error = OutOfMemory;
        ok = false;
    }
    if (ok && CommitOutputFile(&output, &reason))
        return 0;
    if (ok)
        error = CannotWrite(request.output, reason);
    AbandonOutputFile(&output);
    return Say(error, ExitFailed);
}
