// The main scene: the population of nine shapes shown as a 3 x 3 grid, the
// render targets for each cell and its glow, selection by click, the keys
// that steer breeding (rates, locked cells) with what they show, the closer
// look at one shape and saving a shape.
#pragma once

#include <memory>
#include <vector>

#include "scene/CSceneOverlay.h"
#include "scene/IScene.h"
#include "genetic/CGenerationHistory.h"
#include "genetic/Genome.h"
#include "genetic/Population.h"
#include "gfx/CDX2DPolygon.h"
#include "gfx/CDXRenderTexture.h"
#include "platform/d3d9/d3dx9.h"
#include "config/ParamFile.h"
#include "scene/CArcball.h"
#include "scene/CCloserLook.h"
#include "scene/CShapeSaver.h"
#include "shape/CSuperShape.h"

constexpr int kClickCooldownTicks = 60;

class CSceneMain : public IScene {
public:
    ~CSceneMain() override;

    CSceneMain();
    int Render() override;
    int Update() override;
    int Init(CDXContext* ctx) override;
    int Reset() override;
    LRESULT MsgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    bool HoldsKey(int virtualKey) const override;

    // Init with the two breeding rates given instead of read from param.txt;
    // otherwise the same steps in the same order (for tools).
    int InitWithRates(CDXContext* ctx, int mutation, int reseed);

    // Breeds every slot that is not locked from slot `index` and rebuilds
    // their meshes; a locked slot keeps its genome and colour and takes no
    // random draw.
    void Breed(int index);
    // Shows the generation that `clicks` lead to from the start-up
    // population of `seed`, made again without drawing, and leaves the
    // random sequence where that replay ends.
    void ShowGeneration(unsigned int seed, const std::vector<int>& clicks);
    // The same for steps, each bred with its own rates and locked cells.
    void ShowGeneration(unsigned int seed, const std::vector<BreedingStep>& steps);
    // The rates and locked cells to breed with from now on (for tools).
    void SetBreeding(const BreedingRates& rates, const LockedCells& lockedCells);

    // Read access for tests and tools.
    const Genome& GenomeAt(int k) const { return genomes[k]; }
    const CSuperShape& ShapeAt(int k) const { return shapes[k]; }
    int FrameCounter() const { return frameCounter; }
    int ClickCooldown() const { return clickCooldown; }
    int MutationRate() const { return mutationRate; }
    int ReseedRate() const { return reseedRate; }
    bool Locked(int k) const { return locked[static_cast<std::size_t>(k)]; }
    const CSceneOverlay& Overlay() const { return overlay; }
    // The cell the closer look shows, or -1 when the grid shows.
    int LookCell() const { return lookCell; }
    bool LookOpen() const { return lookCell >= 0; }

protected:
    D3DXMATRIX projection;
    D3DXMATRIX view;
    D3DVIEWPORT9 viewport;
    D3DLIGHT9 light;
    CDX2DPolygon quad;
    CSuperShape shapes[kPopulationSize];
    Genome genomes[kPopulationSize];
    CDXRenderTexture shapeTarget;
    CDXRenderTexture glowTargets[2];
    // Init sets all three; the values here only keep an early Update or
    // Breed on defined ground.
    int clickCooldown = 0;
    int mutationRate = kDefaultMutationRate;
    int reseedRate = kDefaultReseedRate;
    LockedCells locked;
    CSceneOverlay overlay;

private:
    // Init's steps before the rates are known: context, quad drawer, the
    // nine slots (243 draws in slot order) and the three render textures.
    void InitPopulation(CDXContext* ctx);
    // Shows the session's generation, replayed from the nearest checkpoint.
    void ShowSessionGeneration();
    void ShowPopulation(const Population& population);
    // Goes back one generation when the session allows it and Backspace is
    // down outside the click cooldown.
    void PollUndo();
    // The locked cells' frames.
    void RenderLockMarks();
    // A key press (or its auto-repeat); its release.
    void KeyDown(int virtualKey, bool repeat);
    void KeyUp(int virtualKey);
    // A key press while the closer look shows.
    void LookKeyDown(int virtualKey, bool repeat);
    // Steps the rates, each kept within 0..100.
    void StepRates(int mutationStep, int reseedStep);
    // Locks or unlocks the cell under the pointer, if it is over one.
    void ToggleLockUnderPointer();
    // Keeps the key's presses from everything else until it is released.
    void HoldBack(int virtualKey);

    // The key (or VK_LBUTTON) whose press closed the help: its repeats and
    // its being down do nothing until it is released.
    int heldBackKey = 0;
    bool holdingBack = false;
    // Whether the last key press did something: the characters it typed are
    // then passed over.
    bool lastPressUsed = false;
    // The cell steps of one frame for cell k at grid column `col`, row `row`;
    // whether the pointer is over the cell.
    bool RenderCell(int k, int col, int row, const POINT* pointer, bool buttonHeld);
    // The closer look's frame: its input, then cell k alone, large.
    void RenderLook(const POINT* pointer, bool buttonHeld);
    // Saves cell k as it shows now, `picture` and `glow` being its squares
    // of `side` pixels: composited again into a target of that size, read
    // back and encoded here; the solid and the files are left to the
    // saver's worker.
    void SaveShape(int k, IDirect3DTexture9* picture, IDirect3DTexture9* glow, UINT side);
    // Adds the flash over the square at (x, y) when it is cell k's.
    void DrawFlash(int k, float x, float y, float size);
    // Takes the finished saves and flashes the last one's cell.
    void PollSaves();

    std::unique_ptr<CGenerationHistory> history;  // made at the session's first replay

    // Saving, with S over a cell or in the closer look. The saver (and its
    // thread) and the target read back are made at the first save, so a run
    // without one has neither.
    std::unique_ptr<CShapeSaver> saver;
    std::unique_ptr<CDXRenderTexture> savePicture;
    UINT savePictureSide = 0;  // remade when the square saved changes size
    bool saveAsked = false;      // S went down since the last frame
    bool saveThisFrame = false;  // and this frame saves
    int flashCell = -1;
    int flashTicks = 0;  // left of the flash; white for a save, red for a failure
    bool flashFailed = false;

    // The closer look (right click or Space over a cell): made at its first
    // opening. Presses since the last frame that open or close it.
    std::unique_ptr<CCloserLook> closerLook;
    CArcball arcball;
    D3DXMATRIX heldTurn{};  // the shape's turn when it was taken hold of
    int lookCell = -1;
    bool lookToggleAsked = false;  // right click or Space
    bool lookCloseAsked = false;   // Escape
    bool leftDown = false;  // the left button as the last frame saw it
    bool escapeTaken = false;  // the Escape that closed the look, until let go
    bool leftIgnored = false;  // a button held from the look breeds nothing
    bool clearOnReturn = false;  // the first grid frame after a look clears
};
