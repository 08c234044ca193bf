// The values of a settings file that the program cannot use as written, each
// named once with what the program makes of it instead (which is what the
// Windows program makes of it): a number that is none, or lies outside its
// setting's range; a key that is no setting; a line without "="; a setting
// given twice. Pure: the file's document in, one line out.
#pragma once
#include <cstddef>
#include <string>
#include "settings/profile_document.h"
#include "settings/profile_location.h"

// One line naming the file of names, then, in the file's order, what its
// section holds that the program cannot use, for example
// "FILE: Method = straightbeam (not a number: the program uses 0)"; after
// MostNamedProblems of them, how many more. Empty when all is usable.
const size_t MostNamedProblems = 5;
std::string CheckSettings(const ProfileDocument& document, const ProfileNames& names);
