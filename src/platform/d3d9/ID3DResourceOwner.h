// The device side of resource reference counting (see CD3DResourceLife):
// told when a resource gains its first outside reference and when it loses
// its last one.
#pragma once

class ID3DResourceOwner {
public:
    // The first outside reference: the device takes a reference on itself,
    // so that it outlives the resource, and counts default-pool resources
    // against Reset.
    virtual void ResourceReferenced(bool defaultPool) = 0;
    // The last outside reference went (the resource may be gone already):
    // the count goes down and the device's own reference goes, which may
    // end the device.
    virtual void ResourceUnreferenced(bool defaultPool) = 0;

protected:
    ~ID3DResourceOwner() = default;
};
