#include "platform/d3d9/recording/CRecordingResource.h"

#include <utility>

#include "platform/d3d9/recording/CRecordingDevice.h"

CRecordingResource::CRecordingResource(CRecordingDevice* device, std::string label, D3DPOOL pool,
                                       bool standalone)
    : CD3DResourceLife(*device, standalone && pool == D3DPOOL_DEFAULT),
      device(device),
      callLog(device->CallLog()),
      label(std::move(label)),
      standalone(standalone) {
    if (standalone) callLog.ObjectCreated();
}

CRecordingResource::~CRecordingResource() {
    if (standalone) callLog.ObjectDestroyed();
}

CRecordingResource* AsRecordingResource(IUnknown* object) {
    return dynamic_cast<CRecordingResource*>(object);
}

std::string LabelOf(IUnknown* object) {
    if (!object) return "null";
    const CRecordingResource* resource = AsRecordingResource(object);
    return resource ? resource->Label() : std::string("foreign");
}
