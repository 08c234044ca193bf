// lumivane-wayland: the saver for Wayland compositors, as swayidle runs it
// after an idle time. It covers every output, draws until input, and ends
// with status 0 on a key, a button or a pointer move of more than a few
// pixels; SIGTERM, SIGINT and SIGHUP end it by the signal. Settings come
// from the settings file, then from the options, as for the X11 saver.
#include <cstdio>
#include <string>
#include "animation/float_model.h"
#include "linux/ending_signals.h"
#include "linux/frame_run.h"
#include "linux/settings_options.h"
#include "settings/profile.h"
#include "settings/profile_reads.h"
#include "wayland/compositor.h"

namespace {

const int ExitBadInput = 2;
const int ExitNoPicture = 1;

const char Usage[] =
    "usage: lumivane-wayland [options]\n"
    "The Lumivane screen saver for Wayland: words carried on gliding beams of light.\n"
    "It covers every output (on the layer shell's overlay, else in a fullscreen\n"
    "window on each) until a key, a button or a move of the pointer, for example\n"
    "run by swayidle:  swayidle -w timeout 300 lumivane-wayland\n"
    "Settings come from $XDG_CONFIG_HOME/lumivane/control.ini (or\n"
    "~/.config/lumivane/control.ini), then from these options:\n"
    "\n";
const char WaylandOptionsHelp[] =
    "  --seed N           where the beams start and how they move (default: the clock);\n"
    "                     each further output takes the next seed\n"
    "  --frames N         take N steps, then hold that picture (as lumivane-render's last)\n"
    "  --xdg-shell        cover the outputs with fullscreen xdg-shell windows even where\n"
    "                     the compositor offers the layer shell\n"
    "  -h, --help, --version\n"
    "Options may be written -name or --name, with the value after a blank or \"=\".\n";

struct WaylandRequest {
    SaverState settings;
    SeedChoice seeds;
    int64_t frames;                     // of a still; 0 runs on
    bool xdgShell;
};

int Refuse(const std::string& message)
{
    std::fprintf(stderr, "%s: %s\n", WaylandSaverName, message.c_str());
    return ExitBadInput;
}

// Reads the options into request. Returns -1 to go on, or the exit code to
// end with at once.
int ReadRequest(int argc, char** argv, WaylandRequest* request)
{
    CommandLine line = {argc, argv, 1, false};
    Argument argument;
    std::string value, error;
    while (ReadArgument(&line, &argument)) {
        const std::string& name = argument.name;
        if (!argument.isOption)
            return Refuse("unexpected argument \"" + argument.text + "\" (see --help)");
        SettingOutcome setting = ApplySettingOption(&line, argument, &request->settings, &error);
        if (setting == SettingRejected)
            return Refuse(error);
        if (setting == SettingTaken)
            continue;
        if (AnswerHelpOrVersion(name, WaylandSaverName, Usage, WaylandOptionsHelp))
            return 0;
        if (name == "xdg-shell") {
            request->xdgShell = true;
            continue;
        }
        if (name == "seed" || name == "frames") {
            if (!TakeValue(&line, argument, &value, &error) ||
                (name == "seed" && !ParseSeed(value, &request->seeds.seed, &error)) ||
                (name == "frames" && !ParseFrameCount(value, &request->frames, &error)))
                return Refuse(error);
            request->seeds.fixed = request->seeds.fixed || name == "seed";
            continue;
        }
        return Refuse("unknown option \"" + std::string(argv[line.next - 1]) + "\" (see --help)");
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    UseDoublePrecision();
    static WaylandRequest request;
    TransferSettings(SettingsLoad, &request.settings);
    if (!SettingsFileProblem().empty())
        std::fprintf(stderr, "%s: %s\n", WaylandSaverName, SettingsFileProblem().c_str());
    request.seeds = {false, 0};
    request.frames = 0;
    request.xdgShell = false;
    int exitCode = ReadRequest(argc, argv, &request);
    if (exitCode >= 0)
        return exitCode;

    std::string error;
    if (!ConnectCompositor(request.xdgShell, &error)) {
        std::fprintf(stderr, "%s: %s\n", WaylandSaverName, error.c_str());
        DisconnectCompositor();
        return ExitBadInput;
    }
    const int signals = WatchEndingSignals();
    request.settings.font = CreateSurfaceFont(&request.settings.logFont);
    if (signals < 0)
        error = "cannot watch for the ending signals";
    else if (request.settings.font == NULL)
        error = "no usable font for \"" + std::string(request.settings.logFont.lfFaceName) + "\"";
    if (!error.empty()) {
        std::fprintf(stderr, "%s: %s\n", WaylandSaverName, error.c_str());
        DeleteSurfaceFont(request.settings.font);
        DisconnectCompositor();
        return ExitNoPicture;
    }
    request.settings.brush = CreateColorBrush(request.settings.color);
    const PictureSettings settings = {&request.settings, request.seeds, request.frames};
    SaverEnd end = RunOutputPictures(settings, signals);
    DisconnectCompositor();
    DeleteSurfaceFont(request.settings.font);
    DeleteSurfaceBrush(request.settings.brush);
    if (end.signal != 0)
        DieOfSignal(end.signal);
    return end.exitCode;
}
