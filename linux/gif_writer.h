// Animated GIF output of frames drawn on an image: each picture holds only
// the box that changed since the one before and stays on screen under the
// next, with a palette of its own, so a long animation of a few colours
// stays small. Frames of the saver have two colours (black and the text's);
// a box of more than 256 colours cannot be written. Running out of memory
// throws std::bad_alloc, as the writer's own allocations do.
#pragma once
#include <cstdint>
#include <string>
#include "animation/geometry.h"

struct GifWriter;

// Starts a looping GIF of width by height on descriptor, which stays the
// caller's to close. Null, with the reason, on failure. Every reason is the
// system's (a write's errno) or giflib's, in one line.
GifWriter* StartGif(int descriptor, int width, int height, std::string* error);

// Adds one picture: box of the image whose rows are stride pixels apart
// (0x00RRGGBB each), shown for delay hundredths of a second. An empty box
// adds a picture that changes nothing, so that the time still passes.
bool AddGifPicture(GifWriter* writer, const uint32_t* pixels, int stride, RECT box, int delay, std::string* error);

// Ends the file and frees the writer, whatever the outcome.
bool FinishGif(GifWriter* writer, std::string* error);
