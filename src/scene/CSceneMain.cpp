// The main scene: the population of nine shapes, its set-up and counters,
// the frame that draws the 3 x 3 grid with glow, hover highlight and the
// click that breeds, the way back to an earlier generation, and the keys
// that step the rates, lock cells and show the help.
#include "scene/CSceneMain.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "config/AppConfig.h"
#include "genetic/Decode.h"
#include "gfx/CDXContext.h"
#include "platform/Win32.h"
#include "config/ParamFile.h"
#include "scene/CBreedingSession.h"
#include "scene/ShapePasses.h"

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

// A saved cell flashes for about half a second, fading: white, well beyond
// the hover's grey, or red when the save failed. Added over the cell.
constexpr int kFlashTicks = 30;

D3DCOLOR FlashColor(bool failed, int ticksLeft) {
    const auto level = static_cast<DWORD>(255 * ticksLeft / kFlashTicks) & 0xFFu;
    return kOpaqueBlack | (level << 16) | (failed ? 0u : (level << 8) | level);
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

CSceneMain::CSceneMain() = default;
// The saver finishes the saves asked for before the scene goes.
CSceneMain::~CSceneMain() = default;

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
    SetShapeLight(device, &light);
    return 0;
}

int CSceneMain::Update() {
    ++frameCounter;
    if (frameCounter == kFrameCounterWrap) frameCounter = 0;
    if (clickCooldown > 0) --clickCooldown;
    overlay.Tick();
    if (flashTicks > 0) --flashTicks;
    if (saver) PollSaves();
    return 0;
}

int CSceneMain::Render() {
    IDirect3DDevice9* device = context != nullptr ? context->device : nullptr;
    if (device == nullptr) return 0;

    SetShapeCamera(device, 1.0f, &projection, &view);
    // Every cell of the frame shares the same world matrix.
    const D3DXMATRIX world = ShapeTurn(timeGetTime());
    device->SetTransform(D3DTS_WORLD, &world);

    // Input is polled once per frame. A pointer that cannot be read or mapped
    // into the client area is over no cell.
    POINT pointer{};
    const bool pointerKnown = PointerInClient(context->hwnd, &pointer);
    bool buttonHeld = (GetKeyState(VK_LBUTTON) & 0x80) != 0 && !HoldsKey(VK_LBUTTON);
    if (g_breedingSession != nullptr && !LookOpen()) PollUndo();
    // The presses the messages since the last frame asked for.
    saveThisFrame = std::exchange(saveAsked, false);
    bool lookToggled = std::exchange(lookToggleAsked, false);
    const bool lookClosed = std::exchange(lookCloseAsked, false);

    if (LookOpen()) {
        if (!lookToggled && !lookClosed) {
            RenderLook(pointerKnown ? &pointer : nullptr, buttonHeld);
            return 0;
        }
        // Back to the grid on the same generation, drawn in this frame (the
        // press that closed the look opens none).
        lookToggled = false;
        lookCell = -1;
        arcball.Reset();
        leftIgnored = buttonHeld;
        clearOnReturn = true;
    }
    if (clearOnReturn) {
        // The look drew outside the grid, which the grid never draws over.
        device->Clear(0, nullptr, D3DCLEAR_TARGET, kOpaqueBlack, 1.0f, 0);
        clearOnReturn = false;
    }
    if (leftIgnored) {
        leftIgnored = buttonHeld;
        buttonHeld = false;
    }

    overlay.ClearBehind();
    // Column by column: k = 0, 3, 6, 1, 4, 7, 2, 5, 8. Under the help the
    // pointer is over no cell.
    const bool pointerOverGrid = pointerKnown && !overlay.HelpShown();
    int opened = -1;
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            const int k = 3 * row + col;
            if (RenderCell(k, col, row, pointerOverGrid ? &pointer : nullptr, buttonHeld) &&
                lookToggled) {
                opened = k;
            }
        }
    }
    RenderLockMarks();
    const long long generation = g_breedingSession != nullptr
                                     ? static_cast<long long>(g_breedingSession->Generation())
                                     : -1;
    overlay.Draw(g_appConfig.width, g_appConfig.height, {mutationRate, reseedRate}, generation);
    if (opened >= 0) {
        lookCell = opened;
        arcball.Reset();
        leftDown = buttonHeld;
    }
    return 0;
}

void CSceneMain::RenderLook(const POINT* pointer, bool buttonHeld) {
    IDirect3DDevice9* device = context->device;
    if (!closerLook) closerLook = std::make_unique<CCloserLook>();
    closerLook->Fit(context, g_appConfig.width, g_appConfig.height);
    const auto side = static_cast<float>(closerLook->Side());
    const auto left = static_cast<float>(closerLook->Left());
    const auto top = static_cast<float>(closerLook->Top());
    arcball.SetBall(left + side / 2.0f, top + side / 2.0f, side / 2.0f);

    // A left press takes hold of the shape where it stands; a drag turns it.
    const bool pressed = buttonHeld && !leftDown;
    leftDown = buttonHeld;
    if (pointer != nullptr) {
        const auto x = static_cast<float>(pointer->x);
        const auto y = static_cast<float>(pointer->y);
        if (pressed) {
            if (!arcball.Held()) heldTurn = ShapeTurn(timeGetTime());
            arcball.Press(x, y);
        } else if (buttonHeld && arcball.Dragging()) {
            arcball.Move(x, y);
        }
    }
    if (!buttonHeld && arcball.Dragging()) arcball.Release();

    SetShapeCamera(device, arcball.Zoom(), &projection, &view);
    const D3DXMATRIX world =
        arcball.Held() ? arcball.World(heldTurn, view) : ShapeTurn(timeGetTime());
    closerLook->Render(shapes[lookCell], world, arcball.Zoom());
    if (saveThisFrame) {
        SaveShape(lookCell, closerLook->Picture().GetTexture(),
                  closerLook->Glow().GetTexture(), closerLook->Side());
    }
    if (flashTicks > 0 && flashCell == lookCell) {
        // Added over the square, as the grid adds it over a cell.
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
        DrawFlash(lookCell, left, top, side);
        EndShapePasses(device);
    }
}

bool CSceneMain::RenderCell(int k, int col, int row, const POINT* pointer, bool buttonHeld) {
    IDirect3DDevice9* device = context->device;
    DrawShapePicture(device, shapes[k], shapeTarget);
    DrawShapeGlow(quad, shapeTarget, glowTargets[0], glowTargets[1], kTargetSize);

    // After End the viewport covers the back buffer again, so the quads below
    // are in back-buffer pixels.
    const std::int64_t cellX = GridOffset(g_appConfig.width) + std::int64_t{kCellSize} * col;
    const std::int64_t cellY = GridOffset(g_appConfig.height) + std::int64_t{kCellSize} * row;
    const auto x = static_cast<float>(cellX);
    const auto y = static_cast<float>(cellY);
    CompositeShape(device, quad, shapeTarget.GetTexture(), glowTargets[0].GetTexture(), x, y,
                   kCellSize);

    const bool hovered = pointer != nullptr && CellUnder(*pointer) == k;
    // Saved before a click in the same frame can breed over it.
    if (hovered && saveThisFrame) {
        SaveShape(k, shapeTarget.GetTexture(), glowTargets[0].GetTexture(), kCellSize);
    }
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
    DrawFlash(k, x, y, kCellSize);

    EndShapePasses(device);
    return hovered;
}

void CSceneMain::DrawFlash(int k, float x, float y, float size) {
    if (flashTicks > 0 && k == flashCell) {
        quad.DrawRect(x, y, size, size, FlashColor(flashFailed, flashTicks));
    }
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
        case WM_RBUTTONDOWN:
            // Like a left click, a right click on the help only closes it.
            if (overlay.HelpShown()) {
                HoldBack(VK_RBUTTON);
            } else {
                lookToggleAsked = true;
            }
            break;
        case WM_RBUTTONUP:
            KeyUp(VK_RBUTTON);
            break;
        case WM_MOUSEWHEEL:
            // Zooms the closer look; the grid ignores the wheel.
            if (LookOpen()) arcball.Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
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
    // Escape is the closer look's while it shows, and stays the scene's
    // until the press that closed the look is let go.
    if (virtualKey == VK_ESCAPE && (LookOpen() || escapeTaken)) return true;
    return overlay.HelpShown() || (holdingBack && heldBackKey == virtualKey);
}

void CSceneMain::HoldBack(int virtualKey) {
    overlay.HideHelp();
    heldBackKey = virtualKey;
    holdingBack = true;
}

void CSceneMain::KeyDown(int virtualKey, bool repeat) {
    lastPressUsed = true;
    // A new press of Escape: the one that closed the look was let go unseen.
    if (virtualKey == VK_ESCAPE && !repeat) escapeTaken = false;
    if (holdingBack && heldBackKey == virtualKey) {
        if (repeat) return;
        holdingBack = false;  // a new press: its release went unseen
    }
    if (overlay.HelpShown()) {
        // Any new press but a modifier's closes the help and does nothing else.
        if (!repeat && virtualKey != VK_SHIFT && virtualKey != VK_CONTROL) HoldBack(virtualKey);
        return;
    }
    if (LookOpen()) {
        LookKeyDown(virtualKey, repeat);
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
        case VK_SPACE:
            if (!repeat) lookToggleAsked = true;
            break;
        case 'S':
            if (!repeat) saveAsked = true;
            break;
        default:
            lastPressUsed = false;
            return;
    }
    if (virtualKey >= VK_LEFT && virtualKey <= VK_DOWN) overlay.RateKeyDown(virtualKey);
}

void CSceneMain::LookKeyDown(int virtualKey, bool repeat) {
    // Only the look's own keys act in it; the grid's wait for the grid.
    if (repeat) return;
    switch (virtualKey) {
        case VK_SPACE: lookToggleAsked = true; break;
        case VK_ESCAPE:
            lookCloseAsked = true;
            escapeTaken = true;
            break;
        case 'R': arcball.Reset(); break;
        case 'S': saveAsked = true; break;
        default: lastPressUsed = false; break;
    }
}

void CSceneMain::KeyUp(int virtualKey) {
    if (virtualKey == VK_ESCAPE) escapeTaken = false;
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

void CSceneMain::SaveShape(int k, IDirect3DTexture9* picture, IDirect3DTexture9* glow,
                           UINT side) {
    IDirect3DDevice9* device = context->device;
    if (!savePicture || savePictureSide != side) {
        savePicture = std::make_unique<CDXRenderTexture>();
        savePicture->Init(context, side, side);
        savePictureSide = side;
    }
    // The square's composite again, alone, in a target of its size: the
    // back buffer may be multisampled, which cannot be read back.
    EndShapePasses(device);
    savePicture->Begin();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kOpaqueBlack, 1.0f, 0);
    CompositeShape(device, quad, picture, glow, 0, 0, static_cast<float>(side));
    savePicture->End();

    SaveRequest request;
    IDirect3DTexture9* texture = savePicture->GetTexture();
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* plain = nullptr;
    ID3DXBuffer* png = nullptr;
    D3DSURFACE_DESC desc{};
    if (texture != nullptr && SUCCEEDED(texture->GetSurfaceLevel(0, &target)) &&
        SUCCEEDED(target->GetDesc(&desc)) &&
        SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                      D3DPOOL_SYSTEMMEM, &plain, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(target, plain)) &&
        SUCCEEDED(D3DXSaveSurfaceToFileInMemory(&png, D3DXIFF_PNG, plain, nullptr, nullptr))) {
        request.png.assign(static_cast<const char*>(png->GetBufferPointer()),
                           png->GetBufferSize());
    }
    if (png != nullptr) png->Release();
    if (plain != nullptr) plain->Release();
    if (target != nullptr) target->Release();
    if (request.png.empty()) {
        std::fprintf(stderr, "tessary: cannot read back the picture of cell %d; nothing saved\n",
                     k);
        flashCell = k;
        flashFailed = true;
        flashTicks = kFlashTicks;
        return;
    }

    SaveSubject& subject = request.subject;
    if (const CBreedingSession* session = g_breedingSession) {
        subject.journalPath = session->JournalPath();
        subject.seeded = session->Seeded();
        subject.seed = session->Seed();
        subject.generation = static_cast<int>(session->Clicks().size());
    }
    subject.cell = k;
    GetLocalTime(&subject.localTime);
    request.genome = genomes[k];
    request.directory = g_saveDirectory;
    if (!saver) saver = std::make_unique<CShapeSaver>();
    saver->Submit(std::move(request));
}

void CSceneMain::PollSaves() {
    for (const SaveOutcome& outcome : saver->TakeOutcomes()) {
        flashCell = outcome.cell;
        flashFailed = !outcome.saved;
        flashTicks = kFlashTicks;
    }
}
