// What every resource of the recording device shares: a label for the log,
// its device and call log, and (for standalone resources: textures, buffers,
// depth-stencil surfaces) a place among the call log's live objects.
// Reference counting is CD3DResourceLife's.
#pragma once

#include <string>

#include "platform/d3d9/CD3DResourceLife.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/recording/CRecordingCallLog.h"

class CRecordingDevice;

class CRecordingResource : public CD3DResourceLife {
public:
    const std::string& Label() const { return label; }
    CRecordingDevice* Owner() const { return device; }
    CRecordingCallLog& CallLog() const { return callLog; }

protected:
    CRecordingResource(CRecordingDevice* device, std::string label, D3DPOOL pool, bool standalone);
    ~CRecordingResource() override;
    void DestroySelf() override { delete this; }

private:
    CRecordingDevice* device;
    CRecordingCallLog& callLog;
    std::string label;
    bool standalone;
};

// The recording resource behind an interface pointer, or null.
CRecordingResource* AsRecordingResource(IUnknown* object);
// Label of a recording object, "null" for null, "foreign" for another
// backend's.
std::string LabelOf(IUnknown* object);
