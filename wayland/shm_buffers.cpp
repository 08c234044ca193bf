// The shared memory of an output's buffers: one anonymous file, sized and
// mapped once, cut into two buffers; only the changed box is copied in.
#include "wayland/shm_buffers.h"
#include <sys/mman.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace {

const int BytesPerPixel = 4;

}  // namespace

bool MakeShmBuffers(wl_shm* shm, int width, int height, const wl_buffer_listener* listener, void* data,
                    ShmBuffers* buffers, std::string* why)
{
    *buffers = {{nullptr, nullptr}, {nullptr, nullptr}, nullptr, 0, width, height};
    const size_t stride = static_cast<size_t>(width) * BytesPerPixel;
    const size_t each = stride * static_cast<size_t>(height);
    const size_t size = each * BufferCount;
    const int file = memfd_create("lumivane-wayland", MFD_CLOEXEC);
    if (file < 0 || ftruncate(file, static_cast<off_t>(size)) != 0) {
        *why = "no shared memory for two pictures of " + std::to_string(width) + " by " + std::to_string(height) +
               " pixels: " + std::strerror(errno);
        if (file >= 0)
            close(file);
        return false;
    }
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    if (memory == MAP_FAILED) {
        *why = "cannot map the shared memory of the pictures: " + std::string(std::strerror(errno));
        close(file);
        return false;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, file, static_cast<int32_t>(size));
    close(file);                        // the compositor has its own copy of the descriptor now
    buffers->memory = memory;
    buffers->size = size;
    for (int buffer = 0; buffer < BufferCount; ++buffer) {
        buffers->buffers[buffer] =
            wl_shm_pool_create_buffer(pool, static_cast<int32_t>(each * buffer), width, height,
                                      static_cast<int32_t>(stride), WL_SHM_FORMAT_XRGB8888);
        buffers->pixels[buffer] = reinterpret_cast<uint32_t*>(static_cast<char*>(memory) + each * buffer);
        wl_buffer_add_listener(buffers->buffers[buffer], listener, data);
    }
    wl_shm_pool_destroy(pool);
    return true;
}

void DropShmBuffers(ShmBuffers* buffers)
{
    for (wl_buffer*& buffer : buffers->buffers) {
        if (buffer != nullptr)
            wl_buffer_destroy(buffer);
        buffer = nullptr;
    }
    if (buffers->memory != nullptr)
        munmap(buffers->memory, buffers->size);
    buffers->memory = nullptr;
}

void CopyToBuffer(const ShmBuffers* buffers, int buffer, cairo_surface_t* image, const RECT& box)
{
    if (BoxIsEmpty(box))
        return;
    cairo_surface_flush(image);
    const unsigned char* source = cairo_image_surface_get_data(image);
    const size_t sourceStride = static_cast<size_t>(cairo_image_surface_get_stride(image));
    const size_t rowBytes = static_cast<size_t>(box.right - box.left) * BytesPerPixel;
    for (int32_t y = box.top; y < box.bottom; ++y) {
        const unsigned char* from = source + sourceStride * y + static_cast<size_t>(box.left) * BytesPerPixel;
        uint32_t* to = buffers->pixels[buffer] + static_cast<size_t>(buffers->width) * y + box.left;
        std::memcpy(to, from, rowBytes);
    }
}
