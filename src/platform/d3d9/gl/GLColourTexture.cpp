#include "platform/d3d9/gl/GLColourTexture.h"

#include <cstdint>
#include <vector>

#include "platform/d3d9/gl/GLCheck.h"

GLuint CreateColourTexture(CGLStateCache& cache, UINT width, UINT height, const void* texels,
                           std::uint32_t fill) {
    std::vector<std::uint32_t> filled;
    if (texels == nullptr) {
        filled.assign(std::size_t{width} * height, fill);
        texels = filled.data();
    }
    DrainGLErrors("before creating a texture");
    GLuint name = 0;
    glGenTextures(1, &name);
    cache.BindTexture0(name, true);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    const auto w = static_cast<GLsizei>(width);
    const auto h = static_cast<GLsizei>(height);
    // The unsized GL_RGBA, given BGRA bytes, lets the driver keep the bytes'
    // order: llvmpipe then stores B8G8R8A8, the one order into which it
    // draws textured quads on its fast path (a sized GL_RGBA8 becomes
    // R8G8B8A8). Should a driver choose fewer than 8 bits, ask for them.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels);
    GLint bits[4] = {};
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_RED_SIZE, &bits[0]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_GREEN_SIZE, &bits[1]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_BLUE_SIZE, &bits[2]);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &bits[3]);
    if (bits[0] != 8 || bits[1] != 8 || bits[2] != 8 || bits[3] != 8)
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels);
    const GLenum error = glGetError();
    CheckGLError("glTexImage2D");
    if (error != GL_NO_ERROR) {
        cache.ForgetTexture(name);
        glDeleteTextures(1, &name);
        return 0;
    }
    return name;
}
