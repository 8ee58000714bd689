#include "platform/d3d9/CD3DResourceLife.h"

ULONG CD3DResourceLife::AddPublicRef() {
    if (refs++ == 0) owner.ResourceReferenced(defaultPool);
    return refs;
}

ULONG CD3DResourceLife::ReleasePublicRef() {
    if (refs == 0) return 0;  // released once too often: ignore, never free twice
    if (--refs > 0) return refs;
    ID3DResourceOwner& device = owner;
    const bool counted = defaultPool;
    if (bindings == 0) DestroySelf();
    // Last: this may end the device, which first unbinds (and so frees) a
    // resource that only its bindings kept.
    device.ResourceUnreferenced(counted);
    return 0;
}

void CD3DResourceLife::Bind() { ++bindings; }

void CD3DResourceLife::Unbind() {
    if (bindings == 0) return;
    if (--bindings == 0 && refs == 0) DestroySelf();
}
