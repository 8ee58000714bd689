#include "platform/d3d9/gl/CGLResourceLife.h"

#include "platform/d3d9/gl/CGLDevice.h"

CGLResourceLife::CGLResourceLife(CGLDevice& device, bool defaultPool)
    : device(device), defaultPool(defaultPool) {}

ULONG CGLResourceLife::AddPublicRef() {
    if (refs++ == 0) {
        device.AddRef();
        device.ResourceReferenced(defaultPool);
    }
    return refs;
}

ULONG CGLResourceLife::ReleasePublicRef() {
    if (refs == 0) return 0;  // released once too often: ignore, never free twice
    if (--refs > 0) return refs;
    CGLDevice& owner = device;
    owner.ResourceUnreferenced(defaultPool);
    if (bindings == 0) DestroySelf();
    // Last: this may end the device, which first unbinds (and so frees) a
    // resource that only its bindings kept.
    owner.Release();
    return 0;
}

void CGLResourceLife::Bind() { ++bindings; }

void CGLResourceLife::Unbind() {
    if (bindings == 0) return;
    if (--bindings == 0 && refs == 0) DestroySelf();
}
