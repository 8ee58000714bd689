// The bytes of a recording vertex or index buffer and their locks.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/recording/CRecordingCallLog.h"

class CRecordingBufferData {
public:
    explicit CRecordingBufferData(UINT length) : bytes(length, 0) {}

    // The call was logged; these give its verdict.
    HRESULT Lock(CRecordingCallLog& callLog, UINT offset, UINT size, void** data);
    HRESULT Unlock(CRecordingCallLog& callLog);

    const std::vector<std::uint8_t>& Bytes() const { return bytes; }

private:
    std::vector<std::uint8_t> bytes;
    int lockCount = 0;
};
