#include "platform/d3d9/gl/CGLUniformUploader.h"

#include <epoxy/gl.h>

#include "platform/d3d9/gl/GLUniforms.h"

void CGLUniformUploader::ChangedAll() {
    for (int g = 0; g < kGLUniformGroupCount; ++g) Changed(static_cast<GLUniformGroup>(g));
}

void CGLUniformUploader::RenderStateChanged(DWORD state) {
    switch (state) {
        case D3DRS_AMBIENT:
        case D3DRS_COLORVERTEX:
        case D3DRS_LOCALVIEWER:
        case D3DRS_NORMALIZENORMALS:
        case D3DRS_DIFFUSEMATERIALSOURCE:
        case D3DRS_SPECULARMATERIALSOURCE:
        case D3DRS_AMBIENTMATERIALSOURCE:
        case D3DRS_EMISSIVEMATERIALSOURCE: Changed(kGLUniformLighting); break;
        case D3DRS_TEXTUREFACTOR:
        case D3DRS_ALPHAREF: Changed(kGLUniformMisc); break;
        default: break;
    }
}

void CGLUniformUploader::Upload(CGLProgram& program, const D3DDeviceState& state,
                                const D3DVertexLayout& layout, const GLDrawFacts& facts,
                                bool force) {
    const GLProgramLocations& at = program.at;
    const auto due = [&](GLUniformGroup group) {
        if (!force && program.uploaded[group] == versions[group]) return false;
        program.uploaded[group] = versions[group];
        return true;
    };
    if (due(kGLUniformViewport)) {
        const GLViewportUniforms u = ComputeViewportUniforms(state.viewport);
        if (at.screen >= 0) glUniform4fv(at.screen, 1, u.screen.data());
        if (at.fixup >= 0) glUniform2fv(at.fixup, 1, u.fixup.data());
    }
    if (due(kGLUniformTransform) && at.worldView >= 0) {
        const GLTransformUniforms u = ComputeTransformUniforms(state);
        glUniformMatrix4fv(at.worldView, 1, GL_FALSE, u.worldView.data());
        glUniformMatrix4fv(at.projection, 1, GL_FALSE, u.projection.data());
        if (at.normalMatrix >= 0)
            glUniformMatrix3fv(at.normalMatrix, 1, GL_FALSE, u.normalMatrix.data());
    }
    if (due(kGLUniformLighting) && program.key.lit) {
        const GLLightingUniforms u = ComputeLightingUniforms(state, layout);
        if (u.lightCount > 0) {
            glUniform3fv(at.lightToLight, u.lightCount, u.toLight[0].data());
            glUniform3fv(at.lightDiffuse, u.lightCount, u.diffuse[0].data());
            if (at.lightSpecular >= 0)
                glUniform3fv(at.lightSpecular, u.lightCount, u.specular[0].data());
            glUniform3fv(at.lightAmbient, u.lightCount, u.ambient[0].data());
        }
        glUniform4fv(at.materialDiffuse, 1, u.materialDiffuse.data());
        glUniform4fv(at.materialAmbient, 1, u.materialAmbient.data());
        glUniform4fv(at.materialSpecular, 1, u.materialSpecular.data());
        glUniform4fv(at.materialEmissive, 1, u.materialEmissive.data());
        if (at.materialPower >= 0) glUniform1f(at.materialPower, u.materialPower);
        glUniform3fv(at.globalAmbient, 1, u.globalAmbient.data());
        glUniform4iv(at.colorSource, 1, u.colorSource.data());
        glUniform1i(at.localViewer, u.localViewer);
        glUniform1i(at.normalizeNormals, u.normalizeNormals);
    }
    if (due(kGLUniformMisc)) {
        if (at.textureFactor >= 0)
            glUniform4fv(at.textureFactor, 1,
                         ColorToFloats(state.RenderState(D3DRS_TEXTUREFACTOR)).data());
        if (at.alphaRef >= 0)
            glUniform1f(at.alphaRef, static_cast<float>(state.RenderState(D3DRS_ALPHAREF) & 0xFF));
        if (at.texture0 >= 0) glUniform1i(at.texture0, 0);
    }
    if (program.key.constantDiffuse && at.constantDiffuse >= 0 &&
        (force || !program.hasConstantDiffuse || program.constantDiffuse != facts.diffuse)) {
        glUniform4fv(at.constantDiffuse, 1, ColorToFloats(facts.diffuse).data());
        program.hasConstantDiffuse = true;
        program.constantDiffuse = facts.diffuse;
    }
}
