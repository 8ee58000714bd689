#include "platform/d3d9/recording/CRecordingIndexBuffer.h"

#include <utility>

#include "platform/d3d9/recording/RecordingText.h"

using recording::Call;
using recording::Dec;

CRecordingIndexBuffer::CRecordingIndexBuffer(CRecordingDevice* device, std::string label,
                                             const D3DINDEXBUFFER_DESC& desc)
    : CRecordingResource(device, std::move(label), desc.Pool, true), desc(desc), data(desc.Size) {}

ULONG CRecordingIndexBuffer::AddRef() {
    CallLog().Note("IndexBuffer.AddRef", Call("IndexBuffer.AddRef", {Label()}), D3D_OK);
    return AddPublicRef();
}

ULONG CRecordingIndexBuffer::Release() {
    CallLog().Note("IndexBuffer.Release", Call("IndexBuffer.Release", {Label()}), D3D_OK);
    return ReleasePublicRef();
}

HRESULT CRecordingIndexBuffer::Lock(UINT offsetToLock, UINT sizeToLock, void** bytes, DWORD flags) {
    const HRESULT hr = CallLog().Record(
        "IndexBuffer.Lock", Call("IndexBuffer.Lock", {Label(), Dec(offsetToLock), Dec(sizeToLock),
                                                      recording::LockFlags(flags)}));
    if (FAILED(hr)) return hr;
    return data.Lock(CallLog(), offsetToLock, sizeToLock, bytes);
}

HRESULT CRecordingIndexBuffer::Unlock() {
    const HRESULT hr =
        CallLog().Record("IndexBuffer.Unlock", Call("IndexBuffer.Unlock", {Label()}));
    if (FAILED(hr)) return hr;
    return data.Unlock(CallLog());
}

HRESULT CRecordingIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* out) {
    const HRESULT hr =
        CallLog().Record("IndexBuffer.GetDesc", Call("IndexBuffer.GetDesc", {Label()}));
    if (FAILED(hr)) return hr;
    if (!out) return CallLog().Verdict(D3DRefusal::NullPointer);
    *out = desc;
    return D3D_OK;
}
