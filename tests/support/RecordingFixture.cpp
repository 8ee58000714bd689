#include "support/RecordingFixture.h"

#include <cstring>

#include "support/TestPresentParams.h"

CRecordingFixture::CRecordingFixture(UINT width, UINT height)
    : factoryScope([callLog = callLog](UINT) { return CreateRecordingDirect3D9(callLog); }) {
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    presentParams = TestPresentParams(width, height, D3DPRESENT_INTERVAL_ONE);
    d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, Window(),
                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &presentParams, &device);
    EXPECT_NE(device, nullptr) << "the recording device could not be created";

    context.d3d = d3d;
    context.displayMode = callLog->displayMode;
    context.presentParams = presentParams;
    context.device = device;
    context.hwnd = Window();
    context.width = static_cast<int>(width);
    context.height = static_cast<int>(height);

    liveAfterSetUp = callLog->LiveObjects();
    callLog->ClearLog();
}

CRecordingFixture::~CRecordingFixture() {
    if (device) device->Release();
    if (d3d) d3d->Release();
    context.device = nullptr;
    context.d3d = nullptr;
}

HWND CRecordingFixture::Window() {
    static char window;
    return reinterpret_cast<HWND>(&window);
}

std::vector<ScreenVertex> QuadVertices(const CRecordedDraw& draw) {
    std::vector<ScreenVertex> corners(draw.vertices.size() / sizeof(ScreenVertex));
    if (!corners.empty()) {
        std::memcpy(corners.data(), draw.vertices.data(), corners.size() * sizeof(ScreenVertex));
    }
    return corners;
}
