#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/d3d9/recording/CRecordingCallLog.h"
#include "support/RecordingFixture.h"

namespace {

IDirect3DTexture9* MakeTexture(IDirect3DDevice9* device, UINT size, DWORD usage, D3DPOOL pool) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(size, size, 1, usage, D3DFMT_X8R8G8B8, pool, &texture,
                                    nullptr),
              D3D_OK);
    return texture;
}

}  // namespace

TEST(Recording, CallLogNamesArgumentsAndObjectsAndDrawsKeepTheirState) {
    CRecordingFixture rec;
    IDirect3DTexture9* texture = MakeTexture(rec.device, 16, 0, D3DPOOL_MANAGED);
    rec.device->SetTexture(0, texture);
    rec.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    rec.device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    rec.device->SetFVF(D3DFVF_XYZ);
    const float vertices[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    ASSERT_EQ(rec.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, vertices, 12), D3D_OK);
    rec.device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    texture->Release();
    EXPECT_EQ(rec.callLog->Texts(),
              (std::vector<std::string>{
                  "CreateTexture(16, 16, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, texture#1)",
                  "SetTexture(0, texture#1)",
                  "Clear(0, null, D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER, 0xFF000000, 1, 0)",
                  "SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE)", "SetFVF(D3DFVF_XYZ)",
                  "DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, data, 12)",
                  "SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE)", "Texture.Release(texture#1)"}));

    ASSERT_EQ(rec.callLog->draws.size(), 1u);
    const CRecordedDraw& draw = rec.callLog->draws[0];
    EXPECT_EQ(draw.callIndex, 5u);
    EXPECT_EQ(draw.state.RenderState(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(draw.texture0, "texture#1");
    EXPECT_EQ(draw.vertices.size(), sizeof vertices);
}

TEST(RecordingReferences, ResourcesKeepTheirDeviceAndBindingsKeepResources) {
    std::shared_ptr<CRecordingCallLog> callLog;
    {
        CRecordingFixture rec;
        callLog = rec.callLog;
        IDirect3DTexture9* texture = MakeTexture(rec.device, 32, 0, D3DPOOL_MANAGED);
        IDirect3DTexture9* target = MakeTexture(rec.device, 32, D3DUSAGE_RENDERTARGET,
                                                D3DPOOL_DEFAULT);
        IDirect3DSurface9* level = nullptr;
        ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
        ASSERT_EQ(rec.device->SetTexture(0, texture), D3D_OK);
        ASSERT_EQ(rec.device->SetRenderTarget(0, level), D3D_OK);
        texture->Release();
        level->Release();
        target->Release();
        EXPECT_EQ(callLog->LiveObjects(), rec.liveAfterSetUp + 2) << "still bound";
        rec.device->SetTexture(0, nullptr);
        EXPECT_EQ(callLog->LiveObjects(), rec.liveAfterSetUp + 1);

        // The caller drops the device and the Direct3D object before a resource.
        IDirect3DTexture9* kept = MakeTexture(rec.device, 8, 0, D3DPOOL_MANAGED);
        rec.device->Release();
        rec.d3d->Release();
        rec.device = nullptr;
        rec.d3d = nullptr;
        EXPECT_EQ(callLog->LiveObjects(), 4) << "the texture keeps its device";
        EXPECT_EQ(kept->Release(), 0u);
    }
    EXPECT_EQ(callLog->LiveObjects(), 0);
}

TEST(RecordingFailures, InjectedByNameWithSkipAndTimes) {
    CRecordingFixture rec;
    rec.callLog->InjectFailure("SetRenderState", E_FAIL, 1, 2);
    for (DWORD value = 1; value <= 4; ++value) {
        EXPECT_EQ(rec.device->SetRenderState(D3DRS_CULLMODE, value),
                  value == 2 || value == 3 ? E_FAIL : D3D_OK) << value;
    }
    // The failed calls had no effect: the last successful value stays.
    EXPECT_EQ(rec.State().RenderState(D3DRS_CULLMODE), 4u);
    EXPECT_EQ(rec.callLog->calls[1].result, E_FAIL);

    rec.callLog->InjectFailure("Present", D3DERR_DEVICELOST, 0, -1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(rec.device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);

    EXPECT_EQ(rec.callLog->LiveObjects(), rec.liveAfterSetUp);
}
