#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
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

IDirect3DIndexBuffer9* MakeIndexBuffer(IDirect3DDevice9* device,
                                       const std::vector<std::uint16_t>& indices) {
    IDirect3DIndexBuffer9* buffer = nullptr;
    const UINT length = static_cast<UINT>(indices.size() * sizeof(std::uint16_t));
    EXPECT_EQ(device->CreateIndexBuffer(length, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &buffer,
                                        nullptr),
              D3D_OK);
    void* data = nullptr;
    EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
    std::memcpy(data, indices.data(), length);
    buffer->Unlock();
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

TEST(RecordingBounds, OutOfRangeArgumentsAreInvalidCalls) {
    CRecordingFixture rec;
    IDirect3DDevice9* d = rec.device;
    const D3DLIGHT9 light{D3DLIGHT_DIRECTIONAL, {}, {}, {}, {}, {0, 0, 1}, 0, 0, 0, 0, 0, 0, 0};
    IDirect3DTexture9* texture = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
    IDirect3DSurface9* surface = nullptr;
    const std::vector<std::pair<const char*, std::function<HRESULT()>>> calls = {
        {"render state 256", [&] { return d->SetRenderState(static_cast<D3DRENDERSTATETYPE>(256), 1); }},
        {"stage 8", [&] { return d->SetTextureStageState(8, D3DTSS_COLOROP, 1); }},
        {"stage state 33", [&] { return d->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(33), 1); }},
        {"sampler 16", [&] { return d->SetSamplerState(16, D3DSAMP_MINFILTER, 1); }},
        {"texture stage 8", [&] { return d->SetTexture(8, nullptr); }},
        {"light 8", [&] { return d->SetLight(8, &light); }},
        {"light enable 8", [&] { return d->LightEnable(8, TRUE); }},
        {"transform 7", [&] { return d->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(7), nullptr); }},
        {"render target 1", [&] { return d->GetRenderTarget(1, &surface); }},
        {"stream 1", [&] { return d->SetStreamSource(1, nullptr, 0, 0); }},
        {"texture 0 wide", [&] { return d->CreateTexture(0, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr); }},
        {"texture 16385", [&] { return d->CreateTexture(8, 16385, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr); }},
        {"managed render target", [&] { return d->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr); }},
        {"empty vertex buffer", [&] { return d->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &vb, nullptr); }},
        {"huge vertex buffer", [&] { return d->CreateVertexBuffer(256u * 1024 * 1024 + 1, 0, 0, D3DPOOL_MANAGED, &vb, nullptr); }},
        {"depth 0 high", [&] { return d->CreateDepthStencilSurface(8, 0, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0, TRUE, &surface, nullptr); }},
        {"stencil clear on D16", [&] { return d->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0); }},
        {"clear rects missing", [&] { return d->Clear(2, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0); }},
        {"end without begin", [&] { return d->EndScene(); }},
    };
    for (const auto& [what, call] : calls) {
        EXPECT_EQ(call(), D3DERR_INVALIDCALL) << what;
        EXPECT_EQ(rec.journal->calls.back().result, D3DERR_INVALIDCALL) << what;
    }
    EXPECT_EQ(rec.journal->LiveObjects(), rec.liveAfterSetUp);
    EXPECT_EQ(rec.State().RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
}

TEST(RecordingBounds, BufferLocksStayInsideTheBuffer) {
    CRecordingFixture rec;
    IDirect3DVertexBuffer9* buffer = MakeVertexBuffer(rec.device, 16);
    // {offset, size, result}; size 0 locks from the offset to the end.
    const UINT cases[][3] = {{0, 0, 1}, {4, 12, 1}, {12, 0, 1}, {16, 0, 0}, {8, 9, 0},
                             {0xFFFFFFF0u, 32, 0}};
    for (const auto& [offset, size, valid] : cases) {
        void* data = nullptr;
        EXPECT_EQ(buffer->Lock(offset, size, &data, 0), valid ? D3D_OK : D3DERR_INVALIDCALL)
            << offset << "+" << size;
        if (!valid) continue;
        static_cast<std::uint8_t*>(data)[0] = static_cast<std::uint8_t>(offset + 1);
        buffer->Unlock();
    }
    EXPECT_EQ(RecordingBufferBytes(buffer),
              (std::vector<std::uint8_t>{1, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 13, 0, 0, 0}));
    buffer->Release();
}

// ---------------------------------------------------------------------------
// Draws

TEST(RecordingDraws, IndexedDrawsAreValidatedAgainstTheBoundBuffers) {
    CRecordingFixture rec;
    IDirect3DDevice9* d = rec.device;
    EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL)
        << "nothing bound";

    IDirect3DVertexBuffer9* vb = MakeVertexBuffer(d, 4 * 12);  // four 12-byte vertices
    IDirect3DIndexBuffer9* ib = MakeIndexBuffer(d, {0, 1, 2, 2, 1, 3, 0, 1, 4});
    d->SetStreamSource(0, vb, 0, 12);
    EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 1), D3DERR_INVALIDCALL)
        << "no indices";
    d->SetIndices(ib);

    struct Case {
        const char* what;
        INT base;
        UINT minIndex, numVertices, start, count;
        HRESULT expected;
    };
    const Case cases[] = {
        {"both triangles", 0, 0, 4, 0, 2, D3D_OK},
        {"index 4 past the buffer", 0, 0, 5, 6, 1, D3DERR_INVALIDCALL},
        {"indices past the index buffer", 0, 0, 4, 6, 2, D3DERR_INVALIDCALL},
        {"base pushes past the end", 1, 0, 4, 3, 1, D3DERR_INVALIDCALL},
        {"negative base", -1, 0, 4, 0, 1, D3DERR_INVALIDCALL},
        {"index outside the declared range", 0, 0, 3, 3, 1, D3DERR_INVALIDCALL},
        {"one triangle offset by base", 1, 0, 3, 0, 1, D3D_OK},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, c.base, c.minIndex, c.numVertices,
                                          c.start, c.count),
                  c.expected)
            << c.what;
    }
    ASSERT_EQ(rec.journal->draws.size(), 2u) << "refused draws are not recorded";
    const CRecordedDraw& draw = rec.journal->draws[1];
    EXPECT_TRUE(draw.indexed);
    EXPECT_EQ(draw.baseVertexIndex, 1);
    EXPECT_EQ(draw.state.streamSource, vb);
    EXPECT_EQ(rec.journal->calls[draw.callIndex].name, "DrawIndexedPrimitive");
    vb->Release();
    ib->Release();
}

TEST(RecordingDraws, UserPointerDrawsCopyVerticesAndEmptyStreamZero) {
    CRecordingFixture rec;
    IDirect3DDevice9* d = rec.device;
    IDirect3DVertexBuffer9* vb = MakeVertexBuffer(d, 48);
    IDirect3DTexture9* texture = MakeTexture(d, 8, 0, D3DPOOL_MANAGED);
    d->SetStreamSource(0, vb, 0, 12);
    d->SetTexture(0, texture);
    d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);

    float vertices[4][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
    EXPECT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, 12), D3D_OK);
    vertices[0][0] = -1;  // the record is a copy
    EXPECT_EQ(d->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, nullptr, 12), D3DERR_INVALIDCALL);

    ASSERT_EQ(rec.journal->draws.size(), 1u);
    const CRecordedDraw& draw = rec.journal->draws[0];
    ASSERT_EQ(draw.vertices.size(), sizeof vertices);
    float first = 0;
    std::memcpy(&first, draw.vertices.data(), sizeof first);
    EXPECT_EQ(first, 1.0f);
    EXPECT_EQ(draw.vertexStride, 12u);
    EXPECT_EQ(draw.texture0, RecordingLabel(texture));
    EXPECT_EQ(draw.renderTarget, "backbuffer");
    EXPECT_EQ(draw.state.RenderState(D3DRS_ALPHABLENDENABLE), 1u);
    EXPECT_EQ(rec.State().streamSource, nullptr);
    vb->Release();
    texture->Release();
    EXPECT_EQ(rec.journal->LiveObjects(), rec.liveAfterSetUp + 1) << "texture still bound";
}
