// The setters that only record, shared by both devices: each checks its
// arguments (D3DChecks.h) and, when they pass, writes the desired-state
// record and tells the listener, if any, what changed. A value equal to
// the one recorded changes nothing. Each answers with the refusal for its
// arguments; the device logs and returns it as its HRESULT.
#pragma once

#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/D3DRefusal.h"
#include "platform/d3d9/ID3DStateListener.h"
#include "platform/d3d9/d3d9.h"

class CD3DStateRecorder {
public:
    CD3DStateRecorder(D3DDeviceState& state, ID3DStateListener* listener)
        : state(state), listener(listener) {}

    D3DRefusal SetTransform(D3DTRANSFORMSTATETYPE type, const D3DMATRIX* matrix);
    D3DRefusal SetMaterial(const D3DMATERIAL9* material);
    D3DRefusal SetLight(DWORD index, const D3DLIGHT9* light);
    D3DRefusal LightEnable(DWORD index, BOOL enable);
    D3DRefusal SetRenderState(D3DRENDERSTATETYPE type, DWORD value);
    D3DRefusal GetRenderState(D3DRENDERSTATETYPE type, DWORD* value) const;
    D3DRefusal SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
    D3DRefusal SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
    void SetFVF(DWORD fvf);

private:
    D3DDeviceState& state;
    ID3DStateListener* listener;  // may be null; not owned
};
