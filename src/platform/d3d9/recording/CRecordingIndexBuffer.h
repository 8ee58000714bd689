// Index buffers of the recording device.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/recording/CRecordingBufferData.h"
#include "platform/d3d9/recording/CRecordingResource.h"

class CRecordingIndexBuffer final : public IDirect3DIndexBuffer9, public CRecordingResource {
public:
    CRecordingIndexBuffer(CRecordingDevice* device, std::string label,
                          const D3DINDEXBUFFER_DESC& desc);

    ULONG AddRef() override;
    ULONG Release() override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
    HRESULT Lock(UINT offsetToLock, UINT sizeToLock, void** data, DWORD flags) override;
    HRESULT Unlock() override;
    HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

    // The creator's reference, which is not logged.
    ULONG AddPublic() { return AddPublicRef(); }
    const std::vector<std::uint8_t>& Bytes() const { return data.Bytes(); }
    UINT IndexSize() const { return desc.Format == D3DFMT_INDEX32 ? 4u : 2u; }

private:
    D3DINDEXBUFFER_DESC desc;
    CRecordingBufferData data;
};
