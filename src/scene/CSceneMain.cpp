// Placeholder main scene: clears nothing and draws nothing yet.
#include "scene/CSceneMain.h"

int CSceneMain::Render() { return 0; }
int CSceneMain::Update() { return 0; }
int CSceneMain::Init(CDXContext* ctx) {
    IScene::Init(ctx);
    return Reset();
}
int CSceneMain::Reset() {
    frameCounter = 0;
    clickCooldown = 0;
    return 0;
}
void CSceneMain::Breed(int) {}
