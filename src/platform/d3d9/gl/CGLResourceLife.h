// Reference counting shared by the GL backend's resources. Public references
// (the caller's) hold one reference on the device, so the device and its GL
// context outlive every resource. Bindings (the device's own uses: a bound
// texture, the render target) keep the resource alive but not the device,
// so a device whose caller let go can still tear itself down.
#pragma once

#include "platform/WinTypes.h"

class CGLDevice;

class CGLResourceLife {
public:
    CGLResourceLife(const CGLResourceLife&) = delete;
    CGLResourceLife& operator=(const CGLResourceLife&) = delete;

    virtual void Bind();
    virtual void Unbind();
    CGLDevice& Device() const { return device; }

protected:
    // `defaultPool`: counts against Reset while the caller holds it.
    CGLResourceLife(CGLDevice& device, bool defaultPool);
    virtual ~CGLResourceLife() = default;

    ULONG AddPublicRef();
    ULONG ReleasePublicRef();
    virtual void DestroySelf() = 0;

private:
    CGLDevice& device;
    bool defaultPool;
    ULONG refs = 0;
    ULONG bindings = 0;
};
