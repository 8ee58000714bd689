// Reference counting and bindings shared by the resources of both backends.
//
// Outside references (the caller's: AddRef, Release, and the one a creator
// hands out) keep the resource and, through ID3DResourceOwner, its device.
// Bindings (the device's own uses: a bound texture, the render target, the
// stream source) keep the resource alive but not the device, so a device
// whose caller let go can still tear itself down, unbinding everything and
// so freeing what only its bindings kept. A default-pool resource counts
// against Reset while the caller holds it.
#pragma once

#include <type_traits>
#include <utility>

#include "platform/WinTypes.h"
#include "platform/d3d9/ID3DResourceOwner.h"

class CD3DResourceLife {
public:
    CD3DResourceLife(const CD3DResourceLife&) = delete;
    CD3DResourceLife& operator=(const CD3DResourceLife&) = delete;

    // Surfaces that belong to a texture or to the device forward these.
    virtual void Bind();
    virtual void Unbind();

protected:
    // Starts with no reference: the creator adds the caller's.
    CD3DResourceLife(ID3DResourceOwner& owner, bool defaultPool)
        : owner(owner), defaultPool(defaultPool) {}
    virtual ~CD3DResourceLife() = default;

    ULONG AddPublicRef();
    ULONG ReleasePublicRef();
    ID3DResourceOwner& Owner() const { return owner; }
    virtual void DestroySelf() = 0;

private:
    ID3DResourceOwner& owner;
    bool defaultPool;
    ULONG refs = 0;
    ULONG bindings = 0;
};

// Puts `next` into a binding slot: binds it first (so that rebinding the
// object a slot holds never drops its last reference), then unbinds what
// the slot held. Slots of interface type reach the resource by cross-cast.
template <class T>
void Rebind(T*& slot, std::type_identity_t<T>* next) {
    if (slot == next) return;
    const auto life = [](T* object) -> CD3DResourceLife* {
        if constexpr (std::is_base_of_v<CD3DResourceLife, T>)
            return object;
        else
            return dynamic_cast<CD3DResourceLife*>(object);
    };
    if (next != nullptr) {
        if (CD3DResourceLife* l = life(next)) l->Bind();
    }
    T* previous = std::exchange(slot, next);
    if (previous != nullptr) {
        if (CD3DResourceLife* l = life(previous)) l->Unbind();
    }
}
