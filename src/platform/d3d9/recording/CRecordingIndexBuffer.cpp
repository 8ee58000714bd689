#include "platform/d3d9/recording/CRecordingIndexBuffer.h"

#include <utility>

#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;
using recording::Dec;

CRecordingIndexBuffer::CRecordingIndexBuffer(CRecordingDevice* device, std::string label,
                                             const D3DINDEXBUFFER_DESC& desc)
    : CRecordingResource(device, std::move(label), desc.Pool, true), desc(desc), data(desc.Size) {}

ULONG CRecordingIndexBuffer::AddRef() {
    Journal().Note("IndexBuffer.AddRef", Call("IndexBuffer.AddRef", {Label()}), D3D_OK);
    return AddPublicRef();
}

ULONG CRecordingIndexBuffer::Release() {
    Journal().Note("IndexBuffer.Release", Call("IndexBuffer.Release", {Label()}), D3D_OK);
    return ReleasePublicRef();
}

HRESULT CRecordingIndexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, void** bytes, DWORD flags) {
    const HRESULT hr = Journal().Record(
        "IndexBuffer.Lock", Call("IndexBuffer.Lock", {Label(), Dec(offsetToLock), Dec(sizeToLock),
                                                      recording::LockFlags(flags)}));
    if (FAILED(hr)) return hr;
    return data.Lock(Journal(), offsetToLock, sizeToLock, bytes);
}

HRESULT CRecordingIndexBuffer::Unlock() {
    const HRESULT hr =
        Journal().Record("IndexBuffer.Unlock", Call("IndexBuffer.Unlock", {Label()}));
    if (FAILED(hr)) return hr;
    return data.Unlock(Journal());
}

HRESULT CRecordingIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* out) {
    const HRESULT hr =
        Journal().Record("IndexBuffer.GetDesc", Call("IndexBuffer.GetDesc", {Label()}));
    if (FAILED(hr)) return hr;
    if (!out) return Journal().Verdict(D3DRefusal::NullPointer);
    *out = desc;
    return D3D_OK;
}
