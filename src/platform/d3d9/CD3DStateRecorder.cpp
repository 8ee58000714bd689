#include "platform/d3d9/CD3DStateRecorder.h"

#include "platform/d3d9/D3DChecks.h"

using R = D3DRefusal;

D3DRefusal CD3DStateRecorder::SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix) {
    if (matrix == nullptr) return R::NullPointer;
    if (const D3DRefusal why = CheckTransformType(type); why != R::None) return why;
    switch (type) {
        case D3DTS_WORLD: state.world = *matrix; break;
        case D3DTS_VIEW: state.view = *matrix; break;
        case D3DTS_PROJECTION: state.projection = *matrix; break;
    }
    if (listener != nullptr) listener->TransformChanged(type);
    return R::None;
}

D3DRefusal CD3DStateRecorder::SetMaterial(const D3DMATERIAL9* material) {
    if (material == nullptr) return R::NullPointer;
    state.material = *material;
    if (listener != nullptr) listener->LightingChanged();
    return R::None;
}

D3DRefusal CD3DStateRecorder::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (light == nullptr) return R::NullPointer;
    if (const D3DRefusal why = CheckLight(index, *light); why != R::None) return why;
    state.lights[index] = *light;
    if (listener != nullptr) listener->LightingChanged();
    return R::None;
}

D3DRefusal CD3DStateRecorder::LightEnable(DWORD index, BOOL enable) {
    if (const D3DRefusal why = CheckLightIndex(index); why != R::None) return why;
    state.lightEnabled[index] = enable ? TRUE : FALSE;
    if (listener != nullptr) listener->LightingChanged();
    return R::None;
}

D3DRefusal CD3DStateRecorder::SetRenderState(D3DRENDERSTATETYPE type, DWORD value) {
    if (const D3DRefusal why = CheckRenderStateType(type); why != R::None) return why;
    if (state.renderStates[type] == value) return R::None;
    state.renderStates[type] = value;
    if (listener != nullptr) listener->RenderStateChanged(type);
    return R::None;
}

D3DRefusal CD3DStateRecorder::GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) const {
    if (value == nullptr) return R::NullPointer;
    if (const D3DRefusal why = CheckRenderStateType(type); why != R::None) return why;
    *value = state.renderStates[type];
    return R::None;
}

D3DRefusal CD3DStateRecorder::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                                   DWORD value) {
    if (const D3DRefusal why = CheckStageState(stage, type); why != R::None) return why;
    state.stages[stage].states[type] = value;
    return R::None;
}

D3DRefusal CD3DStateRecorder::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type,
                                              DWORD value) {
    if (const D3DRefusal why = CheckSamplerState(sampler, type); why != R::None) return why;
    state.samplers[sampler].states[type] = value;
    return R::None;
}

void CD3DStateRecorder::SetFVF(DWORD fvf) {
    if (state.fvf == fvf) return;
    state.fvf = fvf;
    if (listener != nullptr) listener->FvfChanged();
}
