#include "platform/d3d9/recording/CRecordingVertexBuffer.h"

#include <utility>

#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;
using recording::Dec;

CRecordingVertexBuffer::CRecordingVertexBuffer(CRecordingDevice* device, std::string label,
                                               const D3DVERTEXBUFFER_DESC& desc)
    : CRecordingResource(device, std::move(label), desc.Pool, true), desc(desc), data(desc.Size) {}

ULONG CRecordingVertexBuffer::AddRef() {
    CallLog().Note("VertexBuffer.AddRef", Call("VertexBuffer.AddRef", {Label()}), D3D_OK);
    return AddPublicRef();
}

ULONG CRecordingVertexBuffer::Release() {
    CallLog().Note("VertexBuffer.Release", Call("VertexBuffer.Release", {Label()}), D3D_OK);
    return ReleasePublicRef();
}

HRESULT CRecordingVertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, void** bytes,
                                     DWORD flags) {
    const HRESULT hr = CallLog().Record(
        "VertexBuffer.Lock", Call("VertexBuffer.Lock", {Label(), Dec(offsetToLock), Dec(sizeToLock),
                                                        recording::LockFlags(flags)}));
    if (FAILED(hr)) return hr;
    return data.Lock(CallLog(), offsetToLock, sizeToLock, bytes);
}

HRESULT CRecordingVertexBuffer::Unlock() {
    const HRESULT hr =
        CallLog().Record("VertexBuffer.Unlock", Call("VertexBuffer.Unlock", {Label()}));
    if (FAILED(hr)) return hr;
    return data.Unlock(CallLog());
}

HRESULT CRecordingVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* out) {
    const HRESULT hr =
        CallLog().Record("VertexBuffer.GetDesc", Call("VertexBuffer.GetDesc", {Label()}));
    if (FAILED(hr)) return hr;
    if (!out) return CallLog().Verdict(D3DRefusal::NullPointer);
    *out = desc;
    return D3D_OK;
}
