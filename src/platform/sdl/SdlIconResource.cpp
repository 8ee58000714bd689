#include "platform/sdl/SdlIconResource.h"

#include <cstddef>
#include <cstring>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

// Made from the PNG at build time (cmake/EmbedFile.cmake).
extern const unsigned char kIcon1Png[];
extern const std::size_t kIcon1PngSize;

SdlSurfacePtr LoadSdlIconResource() {
    int width = 0;
    int height = 0;
    int channels = 0;
    const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load_from_memory(kIcon1Png, static_cast<int>(kIcon1PngSize), &width, &height,
                              &channels, 4),
        &stbi_image_free);
    if (!pixels) return nullptr;
    // RGBA32 names the byte order R, G, B, A on every machine, as stb gives it.
    SdlSurfacePtr surface(
        SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32));
    if (!surface) return nullptr;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        std::memcpy(static_cast<unsigned char*>(surface->pixels) +
                        static_cast<std::size_t>(y) * static_cast<std::size_t>(surface->pitch),
                    pixels.get() + static_cast<std::size_t>(y) * rowBytes, rowBytes);
    }
    return surface;
}
