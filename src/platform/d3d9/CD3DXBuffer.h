// The extension library's buffer: a block of bytes with a reference count,
// as the encoding helpers hand it out.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/d3dx9.h"

class CD3DXBuffer final : public ID3DXBuffer {
public:
    explicit CD3DXBuffer(std::vector<std::uint8_t> bytes) : bytes(std::move(bytes)) {}

    ULONG AddRef() override { return ++refs; }
    ULONG Release() override;
    void* GetBufferPointer() override { return bytes.data(); }
    DWORD GetBufferSize() override { return static_cast<DWORD>(bytes.size()); }

private:
    ~CD3DXBuffer() override = default;

    std::vector<std::uint8_t> bytes;
    ULONG refs = 1;
};
