// The process-wide Direct3D factory behind Direct3DCreate9.
#include "platform/d3d9/d3d9.h"

#include <utility>

namespace {
Direct3DFactory& InstalledFactory() {
    static Direct3DFactory factory;
    return factory;
}
}  // namespace

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    const Direct3DFactory& factory = InstalledFactory();
    if (!factory || sdkVersion != D3D_SDK_VERSION) return nullptr;
    return factory(sdkVersion);
}

CDirect3DFactoryScope::CDirect3DFactoryScope(Direct3DFactory factory)
    : previous(std::exchange(InstalledFactory(), std::move(factory))) {}

CDirect3DFactoryScope::~CDirect3DFactoryScope() { InstalledFactory() = std::move(previous); }
