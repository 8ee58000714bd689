// The call log of the recording backend of the Direct3D stand-in: every call
// made on the recording Direct3D object, its device and their resources, the
// state in force at every draw, failure injection and the count of live
// objects. It outlives the objects that write to it, so a test can read what
// happened after the program released everything.
//
// Call texts have the form  Name(arg, arg, ...)  with Direct3D's names for
// enumerations and flags (D3DRS_CULLMODE, D3DCULL_CW, D3DFVF_XYZ|D3DFVF_NORMAL,
// D3DPOOL_DEFAULT; D3DNames.h), other integers in decimal, colours as
// 0x%08X, floats with %g, and objects by label ("null", "backbuffer",
// "depthbuffer", "texture#1", "surface#2", "vb#3", "ib#4"; level 0 of a
// texture is "texture#1.level0"). Methods of the Direct3D object are named
// "D3D9.Method", methods of the device plain "Method", methods of resources
// "<Kind>.Method" with Kind one of Texture, Surface, VertexBuffer,
// IndexBuffer; their text starts with the label, for example
// "VertexBuffer.Lock(vb#3, 0, 0, 0)", "Texture.Release(texture#1)".
// Creating calls end with the new object's label ("null" if none was made):
// "CreateTexture(256, 256, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, texture#5)".
// Names are what InjectFailure and Count/Find/Texts match. AddRef and
// Release made by the caller are logged (and never fail); the device's own
// references are not.
//
// The device checks its arguments with the checks the OpenGL backend uses
// (D3DChecks.h) and refuses what that backend refuses, with the same
// HRESULT; a refused or failed call has no effect. After DrawPrimitiveUP
// stream 0 is empty, as in Direct3D 9.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3d9/D3DDeviceState.h"
#include "platform/d3d9/D3DRefusal.h"
#include "platform/d3d9/D3DVertexFormat.h"
#include "platform/d3d9/d3d9.h"

struct CRecordedCall {
    std::string name;  // "SetRenderState", "D3D9.CreateDevice", "vb#3.Lock"
    std::string text;  // "SetRenderState(D3DRS_CULLMODE, D3DCULL_CW)"
    HRESULT result = D3D_OK;
};

// The draw's arguments (for DrawPrimitiveUP only the type and count are set)
// and what was in force when it was made.
struct CRecordedDraw : D3DIndexedDraw {
    std::size_t callIndex = 0;  // index of the draw in the call log
    bool indexed = false;       // DrawIndexedPrimitive rather than DrawPrimitiveUP
    std::vector<std::uint8_t> vertices;  // DrawPrimitiveUP: a copy of the vertex data
    UINT vertexStride = 0;
    D3DDeviceState state;      // everything in force at the draw
    std::string renderTarget;  // label of render target 0
    std::string depthStencil;  // label of the depth-stencil surface
    std::string texture0;      // label of the texture on stage 0 ("null" if none)
};

class CRecordingCallLog {
public:
    // What the recording adapter reports.
    D3DDISPLAYMODE displayMode{1920, 1080, 60, D3DFMT_X8R8G8B8};
    DWORD vertexProcessingCaps = 0x0000013Bu;

    std::vector<CRecordedCall> calls;
    std::vector<CRecordedDraw> draws;

    // The next `times` calls named `name` (after `skip` that succeed) return
    // `result` and have no effect. times < 0 fails every later call.
    void InjectFailure(std::string name, HRESULT result, int skip = 0, int times = 1);

    // Names and texts of the log, optionally only those whose name is `name`.
    std::vector<std::string> Names() const;
    std::vector<std::string> Texts(std::string_view name = {}) const;
    std::size_t Count(std::string_view name) const;
    // Index of the first call named `name` at or after `from`, or npos.
    std::size_t Find(std::string_view name, std::size_t from = 0) const;
    void ClearLog();

    // Objects (Direct3D object, device, resources) currently alive.
    int LiveObjects() const { return liveObjects; }

    // For the recording objects themselves.
    HRESULT Record(std::string name, std::string text);             // applies injected failures
    void Note(std::string name, std::string text, HRESULT result);  // logs, never fails
    // The result of the call logged last, from its check: D3D_OK for None,
    // else the refusal's HRESULT, written to standard error as RefuseD3DCall
    // does.
    HRESULT Verdict(D3DRefusal why);
    std::string NextLabel(std::string_view kind);
    void ObjectCreated() { ++liveObjects; }
    void ObjectDestroyed() { --liveObjects; }

private:
    struct Failure {
        std::string name;
        HRESULT result;
        int skip;
        int times;
    };
    std::vector<Failure> failures;
    int liveObjects = 0;
    int nextLabel = 1;
};

// A recording Direct3D object writing into `callLog`, with one reference
// for the caller.
IDirect3D9* CreateRecordingDirect3D9(std::shared_ptr<CRecordingCallLog> callLog);

// The device's desired state, for tests that want to read it directly.
// `device` must come from a recording Direct3D object.
const D3DDeviceState& RecordingDeviceState(IDirect3DDevice9* device);
// Raw contents of a recording vertex or index buffer.
const std::vector<std::uint8_t>& RecordingBufferBytes(IDirect3DResource9* buffer);
// The label of a recording object as the log writes it ("null" for null,
// "foreign" for an object of another backend).
std::string RecordingLabel(IUnknown* object);
