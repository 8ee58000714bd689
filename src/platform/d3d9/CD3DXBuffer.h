// The extension library's buffer: a block of bytes with a reference count,
// as the encoding helpers hand it out.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/d3dx9.h"

class CD3DXBuffer final : public ID3DXBuffer {
public:
    explicit CD3DXBuffer(std::vector<std::uint8_t> bytes) : bytes(std::move(bytes)) {}

#ifdef _WIN32
    // The real IUnknown's: no other interface is offered.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        if (object != nullptr) *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override;
#else
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override;
#endif
    void* GetBufferPointer() override { return bytes.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(bytes.size()); }

private:
    // Only Release deletes it (the real IUnknown has no virtual destructor).
    ~CD3DXBuffer() = default;

    std::vector<std::uint8_t> bytes;
    ULONG refs = 1;
};
