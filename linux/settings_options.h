// The command lines of the native commands: options written "-name" or
// "--name", with a value as the next argument or after "=", and the options
// that set the saver's settings, which every native command shares.
#pragma once
#include <cstdint>
#include <string>
#include "settings/saver_state.h"

struct CommandLine {
    int count;
    char** arguments;
    int next;                           // the argument to read next
    bool optionsEnded;                  // after "--", every argument is an operand
};

// One argument read: an option's name without its dashes, or an operand.
struct Argument {
    bool isOption;
    std::string name;                   // for an option
    std::string text;                   // the operand, or an option's "=value"
    bool hasValue;                      // an option's "=value" was given
};

// Reads the next argument; false after the last. "--" makes every later
// argument an operand.
bool ReadArgument(CommandLine* line, Argument* argument);
// The option's value: its "=value", else the next argument. False, with an
// error, when there is none.
bool TakeValue(CommandLine* line, const Argument& option, std::string* value, std::string* error);

enum SettingOutcome {
    SettingTaken,                       // applied to the state
    SettingRejected,                    // a setting, but its value is bad: the state keeps the old one
    NotASetting
};

// Applies option (read from line) to state when it names a setting: --text,
// --font, --height, --weight, --italic, --no-italic, --color, --cycle,
// --no-cycle, --speed, --method. Its value is taken from line; a text as
// linux/host_text.h makes it.
SettingOutcome ApplySettingOption(CommandLine* line, const Argument& option, SaverState* state, std::string* error);

// The help lines for the settings options.
extern const char SettingOptionsHelp[];

// Answers -h or --help (usage, the settings options, then the command's own
// options) and --version on standard output; false for any other option.
bool AnswerHelpOrVersion(const std::string& name, const char* program, const char* usage, const char* ownOptions);

// Whole decimal numbers within low..high, nothing else around them.
bool ParseNumber(const std::string& text, int64_t low, int64_t high, int64_t* value);
// "#RRGGBB" (or without the "#"), hex digits in either case.
bool ParseColor(const std::string& text, Color* color);
// "lumivane", "flexbeam" or "straightbeam", in any case.
bool ParseMethod(const std::string& text, int32_t* method);
// The method's name as ParseMethod reads it; null for a value beyond them.
const char* NameOfMethod(int32_t method);
