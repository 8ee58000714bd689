#include <gtest/gtest.h>

#include <vector>

#include "platform/d3d9/recording/CRecordingJournal.h"
#include "support/RecordingFixture.h"

namespace {

IDirect3DTexture9* MakeTexture(IDirect3DDevice9* device, UINT size, DWORD usage, D3DPOOL pool) {
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(device->CreateTexture(size, size, 1, usage, D3DFMT_X8R8G8B8, pool, &texture,
                                    nullptr),
              D3D_OK);
    return texture;
}

IDirect3DVertexBuffer9* MakeVertexBuffer(IDirect3DDevice9* device, UINT length) {
    IDirect3DVertexBuffer9* buffer = nullptr;
    EXPECT_EQ(device->CreateVertexBuffer(length, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &buffer,
                                         nullptr),
              D3D_OK);
    return buffer;
}

}  // namespace

// ---------------------------------------------------------------------------
// Reference counts

TEST(RecordingReferences, DeviceLivesUntilItsLastResourceGoes) {
    auto journal = std::make_shared<CRecordingJournal>();
    {
        CRecordingFixture rec;
        journal = rec.journal;
        IDirect3DTexture9* texture = MakeTexture(rec.device, 64, 0, D3DPOOL_MANAGED);
        IDirect3DVertexBuffer9* buffer = MakeVertexBuffer(rec.device, 256);
        EXPECT_EQ(journal->LiveObjects(), 4);

        // The caller drops the device and the Direct3D object first.
        rec.device->Release();
        rec.d3d->Release();
        rec.device = nullptr;
        rec.d3d = nullptr;
        EXPECT_EQ(journal->LiveObjects(), 4) << "resources keep their device";

        EXPECT_EQ(texture->Release(), 0u);
        EXPECT_EQ(journal->LiveObjects(), 3);
        EXPECT_EQ(buffer->Release(), 0u);
    }
    EXPECT_EQ(journal->LiveObjects(), 0);
}

TEST(RecordingReferences, BindingsKeepObjectsUntilUnboundOrDeviceGone) {
    std::shared_ptr<CRecordingJournal> journal;
    {
        CRecordingFixture rec;
        journal = rec.journal;
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
        EXPECT_EQ(journal->LiveObjects(), rec.liveAfterSetUp + 2) << "still bound";

        rec.device->SetTexture(0, nullptr);
        EXPECT_EQ(journal->LiveObjects(), rec.liveAfterSetUp + 1);
        // The render-target texture is bound when the device goes.
    }
    EXPECT_EQ(journal->LiveObjects(), 0);
}

// ---------------------------------------------------------------------------
// Failure injection

TEST(RecordingFailures, SkipAndTimesSelectTheFailingCalls) {
    CRecordingFixture rec;
    rec.journal->InjectFailure("SetRenderState", E_FAIL, 1, 2);
    std::vector<HRESULT> results;
    for (DWORD value = 1; value <= 4; ++value) {
        results.push_back(rec.device->SetRenderState(D3DRS_CULLMODE, value));
    }
    EXPECT_EQ(results, (std::vector<HRESULT>{D3D_OK, E_FAIL, E_FAIL, D3D_OK}));
    // The failed calls had no effect: the last successful value stays.
    EXPECT_EQ(rec.State().RenderState(D3DRS_CULLMODE), 4u);
    EXPECT_EQ(rec.journal->calls[1].result, E_FAIL);

    rec.journal->InjectFailure("Present", D3DERR_DEVICELOST, 0, -1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rec.device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    }
}

// ---------------------------------------------------------------------------
// Targets, viewport and Reset

TEST(RecordingTargets, SettingRenderTargetZeroResetsTheViewport) {
    CRecordingFixture rec;
    IDirect3DTexture9* target = MakeTexture(rec.device, 256, D3DUSAGE_RENDERTARGET,
                                            D3DPOOL_DEFAULT);
    IDirect3DSurface9* level = nullptr;
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
    ASSERT_EQ(rec.device->GetRenderTarget(0, &backBuffer), D3D_OK);

    const D3DVIEWPORT9 small{10, 20, 30, 40, 0.25f, 0.75f};
    ASSERT_EQ(rec.device->SetViewport(&small), D3D_OK);
    ASSERT_EQ(rec.device->SetRenderTarget(0, level), D3D_OK);
    D3DVIEWPORT9 viewport{};
    rec.device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 256u);
    EXPECT_EQ(viewport.Height, 256u);
    EXPECT_EQ(viewport.MinZ, 0.0f);
    EXPECT_EQ(viewport.MaxZ, 1.0f);

    const D3DVIEWPORT9 tooLarge{0, 0, 257, 256, 0.0f, 1.0f};
    EXPECT_EQ(rec.device->SetViewport(&tooLarge), D3DERR_INVALIDCALL);
    EXPECT_EQ(rec.device->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(rec.State().renderTarget, level) << "the refused call changed nothing";

    ASSERT_EQ(rec.device->SetRenderTarget(0, backBuffer), D3D_OK);
    rec.device->GetViewport(&viewport);
    EXPECT_EQ(viewport.Width, 800u);
    EXPECT_EQ(viewport.Height, 600u);
    EXPECT_EQ(rec.device->SetDepthStencilSurface(level), D3DERR_INVALIDCALL) << "not a depth surface";
    backBuffer->Release();
    level->Release();
    target->Release();
}

TEST(RecordingTargets, ResetIsRefusedWhileDefaultPoolResourcesLive) {
    CRecordingFixture rec;
    IDirect3DTexture9* managed = MakeTexture(rec.device, 8, 0, D3DPOOL_MANAGED);
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(rec.device->CreateDepthStencilSurface(8, 8, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0,
                                                    TRUE, &depth, nullptr),
              D3D_OK);
    rec.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    rec.device->SetTexture(0, managed);

    EXPECT_EQ(rec.device->Reset(&rec.presentParams), D3DERR_INVALIDCALL);
    EXPECT_EQ(rec.State().RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));

    depth->Release();
    D3DPRESENT_PARAMETERS bigger = rec.presentParams;
    bigger.BackBufferWidth = 1024;
    bigger.BackBufferHeight = 768;
    EXPECT_EQ(rec.device->Reset(&bigger), D3D_OK);
    EXPECT_EQ(rec.State().RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
    EXPECT_EQ(rec.State().textures[0], nullptr);
    EXPECT_EQ(rec.State().viewport.Width, 1024u);
    EXPECT_EQ(RecordingLabel(rec.State().renderTarget), "backbuffer");
    EXPECT_EQ(RecordingLabel(rec.State().depthStencil), "depthbuffer");
    managed->Release();  // managed resources survive a reset
    EXPECT_EQ(rec.journal->LiveObjects(), rec.liveAfterSetUp);
}

// ---------------------------------------------------------------------------
// Bounds checks

// ---------------------------------------------------------------------------
// Draws
