#include "platform/d3d9/gl/CGLBufferData.h"

#include <algorithm>

#include "platform/d3d9/D3DChecks.h"
#include "platform/d3d9/gl/GLCheck.h"

bool CGLBufferData::Create(CGLStateCache& cache, UINT length, bool onGpu) {
    bytes.assign(length, 0);
    if (!onGpu) return true;
    DrainGLErrors("before creating a buffer");
    glGenBuffers(1, &name);
    cache.BindCopyWriteBuffer(name);
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(length), bytes.data(),
                 GL_STATIC_DRAW);
    const GLenum error = glGetError();
    CheckGLError("glBufferData");
    return error == GL_NO_ERROR;
}

void CGLBufferData::Destroy(CGLStateCache& cache) {
    if (name == 0) return;
    cache.ForgetBuffer(name);
    glDeleteBuffers(1, &name);
    name = 0;
}

HRESULT CGLBufferData::Lock(UINT offset, UINT size, void** data, DWORD flags, const char* call) {
    if (data == nullptr) return RefuseD3DCall(call, D3DRefusal::NullPointer);
    *data = nullptr;
    const std::size_t length = bytes.size();
    if (const D3DRefusal why = CheckLockRange(length, offset, size); why != D3DRefusal::None)
        return RefuseD3DCall(call, why);
    const std::size_t span = size == 0 ? length - offset : size;  // 0 locks to the end
    if ((flags & D3DLOCK_READONLY) == 0 && span > 0) {
        if (dirtyBegin == dirtyEnd) {
            dirtyBegin = offset;
            dirtyEnd = offset + span;
        } else {
            dirtyBegin = std::min<std::size_t>(dirtyBegin, offset);
            dirtyEnd = std::max(dirtyEnd, offset + span);
        }
    }
    ++lockCount;
    *data = bytes.data() + offset;
    return D3D_OK;
}

HRESULT CGLBufferData::Unlock(CGLStateCache& cache, const char* call) {
    if (lockCount == 0) return RefuseD3DCall(call, D3DRefusal::NotLocked);
    if (--lockCount > 0 || dirtyBegin == dirtyEnd) return D3D_OK;
    if (name == 0) {
        dirtyBegin = dirtyEnd = 0;
        return D3D_OK;
    }
    cache.BindCopyWriteBuffer(name);
    glBufferSubData(GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(dirtyBegin),
                    static_cast<GLsizeiptr>(dirtyEnd - dirtyBegin), bytes.data() + dirtyBegin);
    CheckGLError("glBufferSubData");
    dirtyBegin = dirtyEnd = 0;
    return D3D_OK;
}
