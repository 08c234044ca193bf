// lumivane: the saver for X11, a "hack" as xscreensaver runs them. It draws
// on the window its host names (--window-id, else $XSCREENSAVER_WINDOW),
// else on the root window (--root), else on a window of its own, until
// SIGTERM. Settings come from the settings file, then from the options.
//
// Run by hand, a bad option ends it at once with one line and exit code 2.
// Under a host window it says what it ignores and draws on: a hack that
// exits is started again at once, and would only loop.
#include <cstdio>
#include <cstdlib>
#include <string>
#include "animation/float_model.h"
#include "linux/ending_signals.h"
#include "linux/saver_loop.h"
#include "linux/settings_options.h"
#include "linux/xscreensaver_setup.h"
#include "settings/profile.h"
#include "settings/profile_reads.h"

namespace {

const int ExitBadInput = 2;
const int ExitNoFont = 1;
const char HostWindowVariable[] = "XSCREENSAVER_WINDOW";
const char WindowIdOption[] = "window-id";

const char Usage[] =
    "usage: lumivane [options]\n"
    "The Lumivane screen saver for X11: words carried on gliding beams of light.\n"
    "It draws on the window given by --window-id or $XSCREENSAVER_WINDOW, else on\n"
    "the root window with --root, else in a window of its own (Esc or q closes it).\n"
    "Settings come from $XDG_CONFIG_HOME/lumivane/control.ini (or\n"
    "~/.config/lumivane/control.ini), then from these options:\n"
    "\n";
const char SaverOptionsHelp[] =
    "  --seed N           where the beams start and how they move (default: the clock)\n"
    "  --fps N            pictures a second, 1 to 1000 (default: the display's refresh rate)\n"
    "  --frames N         take N steps, then hold that picture (as lumivane-render's last)\n"
    "\n"
    "Window:\n"
    "  --window-id ID     draw on window ID (hexadecimal after 0x, or decimal)\n"
    "  --root             draw on the root window\n"
    "  -h, --help, --version\n"
    "\n"
    "xscreensaver:\n"
    "  --add-to-xscreensaver  add lumivane to the programs in ~/.xscreensaver, keeping\n"
    "                     the old file as ~/.xscreensaver.bak\n"
    "Options may be written -name or --name, with the value after a blank or \"=\".\n";

struct SaverRequest {
    SaverState settings;
    SeedChoice seeds;
    int picturesPerSecond;              // 0: the display's rate
    int64_t frames;                     // of a still; 0 runs on
    bool underHost;                     // a host window was named: report bad input and draw on
    bool haveWindowId;
    Window windowId;
    bool root;
};

// Says what is wrong. By hand that ends the saver; under a host window the
// saver carries on without what was wrong.
bool Complain(const SaverRequest& request, const std::string& message)
{
    std::fprintf(stderr, "%s: %s%s\n", SaverName, message.c_str(), request.underHost ? "; ignored" : "");
    return request.underHost;
}

bool ReadSeed(const std::string& value, SaverRequest* request, std::string* error)
{
    uint32_t seed = 0;
    if (!ParseSeed(value, &seed, error))
        return false;
    request->seeds = {true, seed};
    return true;
}

bool ReadPictureRate(const std::string& value, SaverRequest* request, std::string* error)
{
    int64_t rate = 0;
    if (!ParseNumber(value, 1, MostPicturesPerSecond, &rate)) {
        *error = "--fps wants a whole number from 1 to " + std::to_string(MostPicturesPerSecond) + ", not \"" +
                 value + "\"";
        return false;
    }
    request->picturesPerSecond = static_cast<int>(rate);
    return true;
}

bool ReadWindowId(const std::string& value, SaverRequest* request, std::string* error)
{
    request->haveWindowId = ParseWindowId(value, &request->windowId);
    if (!request->haveWindowId)
        *error = "--window-id wants a window id such as 0x1a00003, not \"" + value + "\"";
    return request->haveWindowId;
}

bool HostVariableSet()
{
    const char* variable = std::getenv(HostWindowVariable);
    return variable != nullptr && variable[0] != '\0';
}

// Whether a window id was named on the command line or by the host.
bool NamesHostWindow(int argc, char** argv)
{
    if (HostVariableSet())
        return true;
    CommandLine line = {argc, argv, 1, false};
    Argument argument;
    while (ReadArgument(&line, &argument))
        if (argument.isOption && argument.name == WindowIdOption)
            return true;
    return false;
}

// Reads the options into request. Returns -1 to go on, or the exit code to
// end with at once.
int ReadRequest(int argc, char** argv, SaverRequest* request)
{
    CommandLine line = {argc, argv, 1, false};
    Argument argument;
    std::string value, error;
    while (ReadArgument(&line, &argument)) {
        const std::string& name = argument.name;
        if (!argument.isOption) {
            if (!Complain(*request, "unexpected argument \"" + argument.text + "\" (see --help)"))
                return ExitBadInput;
            continue;
        }
        SettingOutcome setting = ApplySettingOption(&line, argument, &request->settings, &error);
        if (setting == SettingTaken)
            continue;
        if (setting == SettingRejected) {
            if (!Complain(*request, error))
                return ExitBadInput;
            continue;
        }
        if (AnswerHelpOrVersion(name, SaverName, Usage, SaverOptionsHelp))
            return 0;
        if (name == "add-to-xscreensaver")
            return AddToXscreensaver(SaverName);
        if (name == "root") {
            request->root = true;
            continue;
        }
        if (name == WindowIdOption || name == "seed" || name == "fps" || name == "frames") {
            if (TakeValue(&line, argument, &value, &error) &&
                (name == "seed"     ? ReadSeed(value, request, &error)
                 : name == "fps"    ? ReadPictureRate(value, request, &error)
                 : name == "frames" ? ParseFrameCount(value, &request->frames, &error)
                                    : ReadWindowId(value, request, &error)))
                continue;
            // A window id that names no window leaves nothing to draw on,
            // unless the host names one too.
            if (name == WindowIdOption && !HostVariableSet()) {
                std::fprintf(stderr, "%s: %s\n", SaverName, error.c_str());
                return ExitBadInput;
            }
            if (!Complain(*request, error))
                return ExitBadInput;
            continue;
        }
        if (!Complain(*request, "unknown option \"" + std::string(argv[line.next - 1]) + "\" (see --help)"))
            return ExitBadInput;
    }
    return -1;
}

// The window to draw on, in the usual order of the host's conventions.
bool ChooseWindow(const SaverRequest& request, SaverWindow* saver, std::string* error)
{
    if (request.haveWindowId)
        return UseHostWindow(saver, request.windowId, error);
    if (HostVariableSet()) {
        const char* variable = std::getenv(HostWindowVariable);
        Window id = 0;
        if (!ParseWindowId(variable, &id)) {
            *error = std::string("$") + HostWindowVariable + " is no window id: \"" + variable + "\"";
            return false;
        }
        return UseHostWindow(saver, id, error);
    }
    if (request.root)
        return UseRootWindow(saver, error);
    return UseOwnWindow(saver, error);
}

}  // namespace

int main(int argc, char** argv)
{
    UseDoublePrecision();
    static SaverRequest request;
    TransferSettings(SettingsLoad, &request.settings);
    // What the file held that could not be used, once; the saver goes on.
    if (!SettingsFileProblem().empty())
        std::fprintf(stderr, "%s: %s\n", SaverName, SettingsFileProblem().c_str());
    request.seeds = {false, 0};
    request.picturesPerSecond = 0;
    request.frames = 0;
    request.underHost = NamesHostWindow(argc, argv);
    int exitCode = ReadRequest(argc, argv, &request);
    if (exitCode >= 0)
        return exitCode;

    SaverWindow saver;
    std::string error;
    if (!OpenSaverDisplay(&saver, &error) || !ChooseWindow(request, &saver, &error)) {
        std::fprintf(stderr, "%s: %s\n", SaverName, error.c_str());
        CloseSaverWindow(&saver);
        return ExitBadInput;
    }
    request.settings.font = CreateSurfaceFont(&request.settings.logFont);
    if (request.settings.font == NULL) {
        // Nothing can be drawn. Under a host the window stays black instead,
        // since a host starts a hack that exits again at once.
        std::fprintf(stderr, "%s: no usable font for \"%s\"%s\n", SaverName, request.settings.logFont.lfFaceName,
                     request.underHost ? "; the window stays black" : "");
        if (!request.underHost) {
            CloseSaverWindow(&saver);
            return ExitNoFont;
        }
    }
    request.settings.brush = CreateColorBrush(request.settings.color);
    SaverEnd end = RunSaverFrames(&saver, &request.settings, request.seeds, request.picturesPerSecond,
                                    request.frames);
    DeleteSurfaceFont(request.settings.font);
    DeleteSurfaceBrush(request.settings.brush);
    CloseSaverWindow(&saver);
    if (end.signal != 0)
        DieOfSignal(end.signal);
    return end.exitCode;
}
