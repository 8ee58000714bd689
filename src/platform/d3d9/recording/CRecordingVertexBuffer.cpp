#include "platform/d3d9/recording/CRecordingVertexBuffer.h"

#include <utility>

#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;
using recording::Dec;

CRecordingVertexBuffer::CRecordingVertexBuffer(CRecordingDevice* device, std::string label,
                                               const D3DVERTEXBUFFER_DESC& desc)
    : CRecordingResource(device, std::move(label), desc.Pool, true), desc(desc), data(desc.Size) {}

ULONG CRecordingVertexBuffer::AddRef() {
    Journal().Note("VertexBuffer.AddRef", Call("VertexBuffer.AddRef", {Label()}), D3D_OK);
    return AddPublicRef();
}

ULONG CRecordingVertexBuffer::Release() {
    Journal().Note("VertexBuffer.Release", Call("VertexBuffer.Release", {Label()}), D3D_OK);
    return ReleasePublicRef();
}

HRESULT CRecordingVertexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, void** bytes,
                                     DWORD flags) {
    const HRESULT hr = Journal().Record(
        "VertexBuffer.Lock", Call("VertexBuffer.Lock", {Label(), Dec(offsetToLock), Dec(sizeToLock),
                                                        recording::LockFlags(flags)}));
    if (FAILED(hr)) return hr;
    return data.Lock(Journal(), offsetToLock, sizeToLock, bytes);
}

HRESULT CRecordingVertexBuffer::Unlock() {
    const HRESULT hr =
        Journal().Record("VertexBuffer.Unlock", Call("VertexBuffer.Unlock", {Label()}));
    if (FAILED(hr)) return hr;
    return data.Unlock(Journal());
}

HRESULT CRecordingVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* out) {
    const HRESULT hr =
        Journal().Record("VertexBuffer.GetDesc", Call("VertexBuffer.GetDesc", {Label()}));
    if (FAILED(hr)) return hr;
    if (!out) return Journal().Verdict(D3DRefusal::NullPointer);
    *out = desc;
    return D3D_OK;
}
