// The main scene: the population of nine shapes, its set-up and counters,
// the frame that draws the 3 x 3 grid with glow, hover highlight and the
// click that breeds, the way back to an earlier generation, and the keys
// that step the rates, lock cells and show the help.
#include "scene/CSceneMain.h"

#include <cmath>
#include <cstdint>

#include "config/AppConfig.h"
#include "genetic/Decode.h"
#include "gfx/CDXContext.h"
#include "platform/Win32.h"
#include "config/ParamFile.h"
#include "scene/CBreedingSession.h"

namespace {

constexpr UINT kTargetSize = 256;
constexpr int kCellSize = 200;
constexpr int kGridSize = 3 * kCellSize;
constexpr int kFrameCounterWrap = 0x7FFFFFFF;

// A locked cell's frame: amber, opaque, inside the cell's edge; the hover
// highlight is a grey over the whole cell.
constexpr D3DCOLOR kLockColor = 0xFFFFA000u;
constexpr int kLockFrameWidth = 4;
constexpr int kRateStep = 5;

constexpr D3DCOLOR kOpaqueBlack = 0xFF000000u;
constexpr D3DCOLOR kOpaqueWhite = 0xFFFFFFFFu;
// Picture and glow are each composited at 0x99 / 0xFF = 0.6 of their colour.
constexpr D3DCOLOR kCompositeColor = 0xFF999999u;

constexpr float kFieldOfView = 0.7853982f;  // nearest float to pi / 4
constexpr float kNearPlane = 0.001f;
constexpr float kFarPlane = 300.0f;
constexpr double kMillisecondsPerRadian = 628.0;

// Stage 0 modulates texture by diffuse colour, for colour and alpha.
void SetModulateStage(IDirect3DDevice9* device) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
}

// The grey added over the hovered cell, pulsing with the update ticks:
// g = 255 * (0.2 + 0.1 sin(frameCounter / 30)) in 25..76, opaque.
D3DCOLOR HighlightColor(int frameCounter) {
    const float level = static_cast<float>(0.2 + 0.1 * std::sin(frameCounter / 30.0));
    const auto g = static_cast<DWORD>(static_cast<int>(255.0 * level)) & 0xFFu;
    return kOpaqueBlack | (g << 16) | (g << 8) | g;
}

// Top-left corner of the grid: centred on the configured client size, the
// halving truncating toward zero (a width of 598 gives -1). Wide arithmetic
// keeps any configured size from overflowing.
std::int64_t GridOffset(int clientSize) {
    return (static_cast<std::int64_t>(clientSize) - kGridSize) / 2;
}

// The cell under a point of the client area, or -1. Left and top edges
// belong to a cell, right and bottom ones do not.
int CellUnder(const POINT& point) {
    const std::int64_t x = point.x - GridOffset(g_appConfig.width);
    const std::int64_t y = point.y - GridOffset(g_appConfig.height);
    if (x < 0 || x >= kGridSize || y < 0 || y >= kGridSize) return -1;
    return static_cast<int>(3 * (y / kCellSize) + x / kCellSize);
}

// The pointer in client pixels; false when it cannot be read or mapped.
bool PointerInClient(HWND hwnd, POINT* pointer) {
    return GetCursorPos(pointer) != FALSE && ScreenToClient(hwnd, pointer) != FALSE;
}

}  // namespace

void CSceneMain::InitPopulation(CDXContext* ctx) {
    context = ctx;
    quad.SetContext(ctx);
    overlay.SetContext(ctx);
    for (int k = 0; k < kPopulationSize; ++k) {
        shapes[k].Create(ctx);
        genomes[k].Randomize();
        DecodeGenome(genomes[k], shapes[k]);
        RandomizeMaterial(shapes[k]);
        shapes[k].BuildMesh();
    }
    shapeTarget.Init(ctx, kTargetSize, kTargetSize);
    glowTargets[0].Init(ctx, kTargetSize, kTargetSize);
    glowTargets[1].Init(ctx, kTargetSize, kTargetSize);
}

int CSceneMain::Init(CDXContext* ctx) {
    InitPopulation(ctx);
    // A resumed journal brings its own rates and the clicks to replay.
    const CBreedingSession* session = g_breedingSession;
    const BreedingRates rates = session != nullptr && session->Rates() != nullptr
                                    ? *session->Rates()
                                    : ReadBreedingRates("param.txt");
    mutationRate = rates.mutationRate;
    reseedRate = rates.reseedRate;
    if (session != nullptr) {
        // A session's clicks breed with the rates and locks it keeps.
        g_breedingSession->RecordRates(rates);
        locked = session->Locked();
        if (session->Generation() > 0) ShowSessionGeneration();
    }
    Reset();
    return 0;
}

int CSceneMain::InitWithRates(CDXContext* ctx, int mutation, int reseed) {
    InitPopulation(ctx);
    mutationRate = mutation;
    reseedRate = reseed;
    if (g_breedingSession != nullptr) g_breedingSession->RecordRates({mutation, reseed});
    Reset();
    return 0;
}

int CSceneMain::Reset() {
    frameCounter = 0;
    clickCooldown = 0;
    IDirect3DDevice9* device = context != nullptr ? context->device : nullptr;
    if (device == nullptr) return 0;

    // The glow resamples between targets: bilinear and clamped at the edges.
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

    viewport.X = 0;
    viewport.Y = 0;
    viewport.Width = static_cast<DWORD>(g_appConfig.width);
    viewport.Height = static_cast<DWORD>(g_appConfig.height);
    viewport.MinZ = 0.0f;
    viewport.MaxZ = 1.0f;
    device->SetViewport(&viewport);

    light = D3DLIGHT9{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Specular = {1.0f, 1.0f, 1.0f, 0.0f};
    light.Ambient = {0.5f, 0.5f, 0.5f, 0.0f};
    const D3DXVECTOR3 direction(1.0f, -1.5f, -0.7f);
    D3DXVECTOR3 unitDirection;
    D3DXVec3Normalize(&unitDirection, &direction);
    light.Direction = unitDirection;
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
    return 0;
}

int CSceneMain::Update() {
    ++frameCounter;
    if (frameCounter == kFrameCounterWrap) frameCounter = 0;
    if (clickCooldown > 0) --clickCooldown;
    overlay.Tick();
    return 0;
}

int CSceneMain::Render() {
    IDirect3DDevice9* device = context != nullptr ? context->device : nullptr;
    if (device == nullptr) return 0;

    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, 1.0f, kNearPlane, kFarPlane);
    device->SetTransform(D3DTS_PROJECTION, &projection);

    const D3DXVECTOR3 eye(1.8f, 2.6f, 3.8f);
    const D3DXVECTOR3 at(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    device->SetTransform(D3DTS_VIEW, &view);

    // One radian per 628 ms about X, a quarter of that about Z; every cell of
    // the frame shares the same world matrix.
    const float t = static_cast<float>(static_cast<double>(timeGetTime()) / kMillisecondsPerRadian);
    D3DXMATRIX world;
    D3DXMATRIX rotation;
    D3DXMatrixIdentity(&world);
    D3DXMatrixRotationX(&rotation, t);
    D3DXMatrixMultiply(&world, &world, &rotation);
    D3DXMatrixRotationZ(&rotation, t * 0.25f);
    D3DXMatrixMultiply(&world, &world, &rotation);
    device->SetTransform(D3DTS_WORLD, &world);

    // Input is polled once per frame. A pointer that cannot be read or mapped
    // into the client area is over no cell.
    POINT pointer{};
    const bool pointerKnown = PointerInClient(context->hwnd, &pointer);
    const bool buttonHeld = (GetKeyState(VK_LBUTTON) & 0x80) != 0 && !HoldsKey(VK_LBUTTON);
    if (g_breedingSession != nullptr) PollUndo();

    overlay.ClearBehind();
    // Column by column: k = 0, 3, 6, 1, 4, 7, 2, 5, 8. Under the help the
    // pointer is over no cell.
    const bool pointerOverGrid = pointerKnown && !overlay.HelpShown();
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            RenderCell(3 * row + col, col, row, pointerOverGrid ? &pointer : nullptr, buttonHeld);
        }
    }
    RenderLockMarks();
    const long long generation = g_breedingSession != nullptr
                                     ? static_cast<long long>(g_breedingSession->Generation())
                                     : -1;
    overlay.Draw(g_appConfig.width, g_appConfig.height, {mutationRate, reseedRate}, generation);
    return 0;
}

void CSceneMain::RenderCell(int k, int col, int row, const POINT* pointer, bool buttonHeld) {
    IDirect3DDevice9* device = context->device;

    shapeTarget.Begin();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kOpaqueBlack, 1.0f, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    shapes[k].Draw();
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    shapeTarget.End();

    // Glow: copy the picture, then twice shrink it to the 64 x 64 corner of
    // glowTargets[1] and stretch that corner back over glowTargets[0]. The
    // second shrink is mirrored in both axes (a half turn), and the two half
    // turns of the two rounds cancel. No target needs clearing: every pass
    // into glowTargets[0] covers it whole, and only the corner of
    // glowTargets[1] that the shrinks write is ever read.
    CDXRenderTexture& glow0 = glowTargets[0];
    CDXRenderTexture& glow1 = glowTargets[1];
    glow0.Begin();
    quad.DrawTexture(shapeTarget.GetTexture(), 0, 0, 256, 256, 0, 0, kOpaqueWhite);
    glow0.End();
    for (int round = 0; round < 2; ++round) {
        glow1.Begin();
        quad.DrawTexture(glow0.GetTexture(), 0, 0, 64, 64, 0, 0, kOpaqueWhite);
        glow1.End();
        glow0.Begin();
        quad.DrawTextureUV(glow1.GetTexture(), 0, 0, 256, 256, 0, 0, 0.25f, 0.25f, kOpaqueWhite);
        glow0.End();
        glow1.Begin();
        quad.DrawTexture(glow0.GetTexture(), 64, 64, -64, -64, 0, 0, kOpaqueWhite);
        glow1.End();
        glow0.Begin();
        quad.DrawTextureUV(glow1.GetTexture(), 0, 0, 256, 256, 0, 0, 0.25f, 0.25f, kOpaqueWhite);
        glow0.End();
    }

    // After End the viewport covers the back buffer again, so the quads below
    // are in back-buffer pixels.
    const std::int64_t cellX = GridOffset(g_appConfig.width) + std::int64_t{kCellSize} * col;
    const std::int64_t cellY = GridOffset(g_appConfig.height) + std::int64_t{kCellSize} * row;
    const auto x = static_cast<float>(cellX);
    const auto y = static_cast<float>(cellY);

    // Blending is off: the picture replaces the cell's pixels.
    quad.DrawTexture(shapeTarget.GetTexture(), x, y, kCellSize, kCellSize, 0, 0, kCompositeColor);

    SetModulateStage(device);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    quad.DrawTexture(glow0.GetTexture(), x, y, kCellSize, kCellSize, 0, 0, kCompositeColor);

    const bool hovered = pointer != nullptr && CellUnder(*pointer) == k;
    if (hovered && clickCooldown == 0) {
        // Additive, with no texture on stage 0: the grey is added to the cell.
        quad.DrawRect(x, y, kCellSize, kCellSize, HighlightColor(frameCounter));
        if (buttonHeld) {
            clickCooldown = kClickCooldownTicks;
            // The cells after this one in the visiting order are drawn from the
            // new generation already in this frame.
            Breed(k);
            if (g_breedingSession != nullptr) g_breedingSession->RecordClick(k);
        }
    }

    SetModulateStage(device);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

void CSceneMain::Breed(int index) {
    // Only the frame's cell loop calls this, with 0..8; anything else would
    // read outside the population, so it breeds nothing.
    if (index < 0 || index >= kPopulationSize) return;

    // The parent as it was at the click: slots after its own still cross with
    // it after its own slot has been overwritten.
    const Genome parent = genomes[index];
    const BreedingRates rates{mutationRate, reseedRate};
    for (int s = 0; s < kPopulationSize; ++s) {
        if (locked[static_cast<std::size_t>(s)]) continue;
        BreedGenome(parent, genomes[s], rates);
        DecodeGenome(genomes[s], shapes[s]);
        RandomizeMaterial(shapes[s]);
        shapes[s].BuildMesh();
    }
}

void CSceneMain::ShowGeneration(unsigned int seed, const std::vector<int>& clicks) {
    ShowPopulation(ReplayPopulation(seed, {mutationRate, reseedRate}, clicks));
}

void CSceneMain::ShowGeneration(unsigned int seed, const std::vector<BreedingStep>& steps) {
    ShowPopulation(ReplayPopulation(seed, steps));
}

void CSceneMain::SetBreeding(const BreedingRates& rates, const LockedCells& lockedCells) {
    mutationRate = rates.mutationRate;
    reseedRate = rates.reseedRate;
    locked = lockedCells;
}

void CSceneMain::ShowSessionGeneration() {
    const std::vector<BreedingStep>& steps = g_breedingSession->Steps();
    if (!history) history = std::make_unique<CGenerationHistory>(g_breedingSession->Seed());
    history->Forget(steps.size());  // an undo took the clicks past this away
    ShowPopulation(history->At(steps, steps.size()));
}

void CSceneMain::ShowPopulation(const Population& population) {
    for (int s = 0; s < kPopulationSize; ++s) {
        genomes[s] = population.genomes[s];
        DecodeGenome(genomes[s], shapes[s]);
        shapes[s].material = population.materials[s];
        shapes[s].BuildMesh();
    }
}

void CSceneMain::PollUndo() {
    // Like a held button, a held Backspace goes back again each time the
    // cooldown has run out.
    if (clickCooldown != 0 || (GetKeyState(VK_BACK) & 0x80) == 0 || HoldsKey(VK_BACK)) return;
    if (!g_breedingSession->Undo()) return;
    clickCooldown = kClickCooldownTicks;
    ShowSessionGeneration();
}

void CSceneMain::RenderLockMarks() {
    for (int k = 0; k < kPopulationSize; ++k) {
        if (!locked[static_cast<std::size_t>(k)]) continue;
        const auto x = static_cast<float>(GridOffset(g_appConfig.width) + kCellSize * (k % 3));
        const auto y = static_cast<float>(GridOffset(g_appConfig.height) + kCellSize * (k / 3));
        const float size = kCellSize;
        const float edge = kLockFrameWidth;
        quad.DrawRect(x, y, size, edge, kLockColor);
        quad.DrawRect(x, y + size - edge, size, edge, kLockColor);
        quad.DrawRect(x, y + edge, edge, size - 2 * edge, kLockColor);
        quad.DrawRect(x + size - edge, y + edge, edge, size - 2 * edge, kLockColor);
    }
}

LRESULT CSceneMain::MsgProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_KEYDOWN:
            KeyDown(static_cast<int>(wParam), (HIWORD(lParam) & KF_REPEAT) != 0);
            break;
        case WM_KEYUP:
            KeyUp(static_cast<int>(wParam));
            break;
        case WM_LBUTTONDOWN:
            // A click on the help closes it and breeds nothing.
            if (overlay.HelpShown()) HoldBack(VK_LBUTTON);
            break;
        case WM_LBUTTONUP:
            KeyUp(VK_LBUTTON);
            break;
        case WM_CHAR:
            // '?' is read as the character, whichever keys type it.
            if (wParam == '?' && !lastPressUsed && !overlay.HelpShown()) overlay.ShowHelp();
            break;
        default:
            break;
    }
    return 0;
}

bool CSceneMain::HoldsKey(int virtualKey) const {
    return overlay.HelpShown() || (holdingBack && heldBackKey == virtualKey);
}

void CSceneMain::HoldBack(int virtualKey) {
    overlay.HideHelp();
    heldBackKey = virtualKey;
    holdingBack = true;
}

void CSceneMain::KeyDown(int virtualKey, bool repeat) {
    lastPressUsed = true;
    if (holdingBack && heldBackKey == virtualKey) {
        if (repeat) return;
        holdingBack = false;  // a new press: its release went unseen
    }
    if (overlay.HelpShown()) {
        // Any new press but a modifier's closes the help and does nothing else.
        if (!repeat && virtualKey != VK_SHIFT && virtualKey != VK_CONTROL) HoldBack(virtualKey);
        return;
    }
    switch (virtualKey) {
        case VK_UP: StepRates(kRateStep, 0); break;
        case VK_DOWN: StepRates(-kRateStep, 0); break;
        case VK_RIGHT: StepRates(0, kRateStep); break;
        case VK_LEFT: StepRates(0, -kRateStep); break;
        case 'L':
            if (!repeat) ToggleLockUnderPointer();
            break;
        case VK_F1:
            if (!repeat) overlay.ShowHelp();
            break;
        default:
            lastPressUsed = false;
            return;
    }
    if (virtualKey >= VK_LEFT && virtualKey <= VK_DOWN) overlay.RateKeyDown(virtualKey);
}

void CSceneMain::KeyUp(int virtualKey) {
    if (holdingBack && heldBackKey == virtualKey) holdingBack = false;
    overlay.KeyUp(virtualKey);
}

void CSceneMain::StepRates(int mutationStep, int reseedStep) {
    // A rate from param.txt outside 0..100 breeds as 0 or 100 does, and steps from there.
    const BreedingRates now = ClampedRates({mutationRate, reseedRate});
    const BreedingRates next =
        ClampedRates({now.mutationRate + mutationStep, now.reseedRate + reseedStep});
    mutationRate = next.mutationRate;
    reseedRate = next.reseedRate;
    if (g_breedingSession != nullptr) g_breedingSession->RecordRates(next);
}

void CSceneMain::ToggleLockUnderPointer() {
    POINT pointer{};
    if (context == nullptr || !PointerInClient(context->hwnd, &pointer)) return;
    const int k = CellUnder(pointer);
    if (k < 0) return;
    const auto bit = static_cast<std::size_t>(k);
    locked.flip(bit);
    if (g_breedingSession != nullptr) g_breedingSession->RecordLock(k, locked[bit]);
}
