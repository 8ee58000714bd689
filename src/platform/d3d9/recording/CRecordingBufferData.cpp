#include "platform/d3d9/recording/CRecordingBufferData.h"

#include "platform/d3d9/D3DChecks.h"

HRESULT CRecordingBufferData::Lock(CRecordingCallLog& callLog, UINT offset, UINT size,
                                   void** data) {
    if (!data) return callLog.Verdict(D3DRefusal::NullPointer);
    *data = nullptr;
    if (const D3DRefusal why = CheckLockRange(bytes.size(), offset, size); why != D3DRefusal::None)
        return callLog.Verdict(why);
    *data = bytes.data() + offset;
    ++lockCount;
    return D3D_OK;
}

HRESULT CRecordingBufferData::Unlock(CRecordingCallLog& callLog) {
    if (lockCount == 0) return callLog.Verdict(D3DRefusal::NotLocked);
    --lockCount;
    return D3D_OK;
}
