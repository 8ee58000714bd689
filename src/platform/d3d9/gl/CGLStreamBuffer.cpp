#include "platform/d3d9/gl/CGLStreamBuffer.h"

#include "platform/d3d9/gl/GLCheck.h"

namespace {
constexpr std::size_t kInitialBytes = 1u << 20;
}  // namespace

void CGLStreamBuffer::Create(CGLStateCache& cache) {
    glGenBuffers(1, &name);
    cache.BindCopyWriteBuffer(name);
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(kInitialBytes), nullptr,
                 GL_STREAM_DRAW);
    capacity = kInitialBytes;
    position = 0;
    CheckGLError("creating the stream buffer");
}

void CGLStreamBuffer::Delete(CGLStateCache& cache) {
    if (name == 0) return;
    cache.ForgetBuffer(name);
    glDeleteBuffers(1, &name);
    name = 0;
}

std::size_t CGLStreamBuffer::Write(CGLStateCache& cache, const void* data, std::size_t bytes,
                                   std::size_t alignment) {
    std::size_t start = (position + alignment - 1) / alignment * alignment;
    cache.BindCopyWriteBuffer(name);
    if (start + bytes > capacity) {
        while (capacity < bytes) capacity *= 2;
        glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(capacity), nullptr,
                     GL_STREAM_DRAW);
        start = 0;
    }
    glBufferSubData(GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(start),
                    static_cast<GLsizeiptr>(bytes), data);
    position = start + bytes;
    return start;
}
