// The saver's connection to the Wayland compositor: its globals, a picture
// for every output (wayland/output_picture), also for outputs added while
// it runs, and the seat's input, which ends the saver: a key, a button, a
// scroll or the pointer moved far enough (wayland/pointer_travel).
#pragma once
#include <string>
#include "wayland/output_picture.h"

// "lumivane-wayland": its messages start with it, and it is the id of its
// windows.
extern const char WaylandSaverName[];

// Connects to the compositor of $WAYLAND_DISPLAY and learns what it offers;
// with xdgShellOnly the layer shell is not used even where it is offered.
// False, with the reason, without a compositor or without what the saver
// needs of one (shared memory and a layer or xdg shell).
bool ConnectCompositor(bool xdgShellOnly, std::string* error);

// Draws on every output until input ends the saver (exit code 0), an ending
// signal arrives on the descriptor signals, the compositor goes (exit code
// 0, quietly), or a picture cannot be drawn (exit code 1, after one line on
// stderr).
SaverEnd RunOutputPictures(const PictureSettings& settings, int signals);

void DisconnectCompositor();
