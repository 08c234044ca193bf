// An output's two buffers, in one pool of memory shared with the compositor
// (a memfd): 32-bit pixels without alpha, as the canvas holds them, rows
// width pixels apart.
#pragma once
#include <wayland-client.h>
#include <cairo.h>
#include <string>
#include "animation/geometry.h"
#include "wayland/buffer_ledger.h"

struct ShmBuffers {
    wl_buffer* buffers[BufferCount];
    uint32_t* pixels[BufferCount];
    void* memory;                       // the mapped pool, null when there is none
    size_t size;
    int width;
    int height;
};

// Makes both buffers of width by height pixels; false, with the reason, when
// the memory cannot be had. listener hears their releases, with data.
bool MakeShmBuffers(wl_shm* shm, int width, int height, const wl_buffer_listener* listener, void* data,
                    ShmBuffers* buffers, std::string* why);
void DropShmBuffers(ShmBuffers* buffers);
// Copies box of image (the canvas's, of the buffers' size) into buffer.
void CopyToBuffer(const ShmBuffers* buffers, int buffer, cairo_surface_t* image, const RECT& box);
