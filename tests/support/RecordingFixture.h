// A recording Direct3D object and device for tests: installs a Direct3D
// factory that makes recording objects on one shared call log (so code that
// calls Direct3DCreate9 itself records there too), creates a device with the
// program's usual present parameters (800 x 600, X8R8G8B8, automatic D16
// depth buffer, windowed) and fills a CDXContext with it. The log is cleared
// after set-up, so a test sees only its own calls. Refusal lines are caught
// (`refusals`) and shown only if the test fails. Everything is released
// when the fixture goes; the call log outlives it for checks afterwards.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "gfx/CDX2DPolygon.h"
#include "gfx/CDXContext.h"
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/recording/CRecordingCallLog.h"
#include "support/CD3DRefusalCapture.h"

class CRecordingFixture {
public:
    explicit CRecordingFixture(UINT width = 800, UINT height = 600);
    ~CRecordingFixture();
    CRecordingFixture(const CRecordingFixture&) = delete;
    CRecordingFixture& operator=(const CRecordingFixture&) = delete;

    const D3DDeviceState& State() const { return RecordingDeviceState(device); }
    // A window handle that is never dereferenced.
    static HWND Window();

    CD3DRefusalCapture refusals;
    std::shared_ptr<CRecordingCallLog> callLog = std::make_shared<CRecordingCallLog>();
    CDirect3DFactoryScope factoryScope;
    IDirect3D9* d3d = nullptr;           // one reference, released by the fixture
    IDirect3DDevice9* device = nullptr;  // one reference, released by the fixture
    D3DPRESENT_PARAMETERS presentParams{};
    CDXContext context;      // borrows d3d and device
    int liveAfterSetUp = 0;  // live objects once the device exists (2)
};

// For TEST_F: a fresh recording device per test.
class RecordingTest : public ::testing::Test {
protected:
    CRecordingFixture rec;
};

// The corners of a screen quad as DrawPrimitiveUP was given them.
std::vector<ScreenVertex> QuadVertices(const CRecordedDraw& draw);
