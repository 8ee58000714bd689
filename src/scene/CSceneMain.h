// The main scene: the population of nine shapes shown as a 3 x 3 grid, the
// render targets for each cell and its glow, and selection by click.
#pragma once

#include <memory>
#include <vector>

#include "scene/IScene.h"
#include "genetic/CGenerationHistory.h"
#include "genetic/Genome.h"
#include "genetic/Population.h"
#include "gfx/CDX2DPolygon.h"
#include "gfx/CDXRenderTexture.h"
#include "platform/d3d9/d3dx9.h"
#include "config/ParamFile.h"
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

    // Init with the two breeding rates given instead of read from param.txt;
    // otherwise the same steps in the same order (for tools).
    int InitWithRates(CDXContext* ctx, int mutation, int reseed);

    // Breeds all nine slots from slot `index` and rebuilds their meshes.
    void Breed(int index);
    // Shows the generation that `clicks` lead to from the start-up
    // population of `seed`, made again without drawing, and leaves the
    // random sequence where that replay ends.
    void ShowGeneration(unsigned int seed, const std::vector<int>& clicks);

    // Read access for tests and tools.
    const Genome& GenomeAt(int k) const { return genomes[k]; }
    const CSuperShape& ShapeAt(int k) const { return shapes[k]; }
    int FrameCounter() const { return frameCounter; }
    int ClickCooldown() const { return clickCooldown; }
    int MutationRate() const { return mutationRate; }
    int ReseedRate() const { return reseedRate; }

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
    // The cell steps of one frame for cell k at grid column `col`, row `row`.
    void RenderCell(int k, int col, int row, const POINT* pointer, bool buttonHeld);
    // Saves cell k as its frame shows it (its picture and glow already in
    // the shape targets): the picture read back and encoded here, the solid
    // and the files left to the saver's worker.
    void SaveCell(int k);
    // Takes the finished saves and flashes the last one's cell.
    void PollSaves();

    std::unique_ptr<CGenerationHistory> history;  // made at the session's first replay

    // Saving, with S over a cell. The saver and the cell-sized target are
    // made at the first save, so a run without one has neither.
    std::unique_ptr<CShapeSaver> saver;
    std::unique_ptr<CDXRenderTexture> cellPicture;
    bool saveKeyDown = false;   // S as the last frame saw it
    bool saveThisFrame = false;  // S went down this frame
    int flashCell = -1;
    int flashTicks = 0;  // left of the flash; white for a save, red for a failure
    bool flashFailed = false;
};
