#include "platform/d3d9/gl/CGLJoinedDraws.h"

#include <cstdint>

#include "platform/d3d9/gl/CGLIndexBuffer.h"
#include "platform/d3d9/gl/GLCheck.h"
#include "platform/d3d9/gl/GLPrimitive.h"

D3DRefusal CGLJoinedDraws::Add(const CGLIndexBuffer& buffer, const D3DIndexedDraw& draw,
                               std::int64_t streamVertices) {
    const std::size_t before = indices.size();
    const bool strips = draw.type == D3DPT_LINESTRIP || draw.type == D3DPT_TRIANGLESTRIP ||
                        draw.type == D3DPT_TRIANGLEFAN;
    if (strips) indices.push_back(kGLRestartIndex);
    const D3DRefusal why = buffer.ReadIndices(draw, streamVertices, &indices);
    if (why != D3DRefusal::None) indices.resize(before);
    return why;
}

D3DRefusal CGLJoinedDraws::Start(const CGLIndexBuffer& buffer, const D3DIndexedDraw& draw,
                                 std::int64_t streamVertices) {
    active = false;
    indices.clear();
    return buffer.ReadIndices(draw, streamVertices, &indices);
}

void CGLJoinedDraws::Hold(D3DPRIMITIVETYPE type) {
    active = true;
    runType = type;
}

void CGLJoinedDraws::Flush(CGLStreamBuffer& stream, CGLStateCache& cache) {
    if (!active) return;
    active = false;
    const std::size_t offset =
        stream.Write(cache, indices.data(), indices.size() * sizeof(std::uint32_t), 4);
    cache.BindElementBuffer(stream.Name());
    glDrawElements(GLPrimitiveMode(runType), static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT,
                   GLBufferOffset(offset));
    CheckGLError("glDrawElements (DrawIndexedPrimitive)");
}
