// The scene list: creates the scene the program installs and destroys scenes
// in index order.
#include "app/CSceneManager.h"

#include <utility>

namespace {
SceneFactory& InstalledSceneFactory() {
    static SceneFactory factory;
    return factory;
}
}  // namespace

CSceneFactoryScope::CSceneFactoryScope(SceneFactory factory)
    : previous(std::exchange(InstalledSceneFactory(), std::move(factory))) {}

CSceneFactoryScope::~CSceneFactoryScope() { InstalledSceneFactory() = std::move(previous); }

CSceneManager::~CSceneManager() {
    // A vector destroys its elements in no order the language promises; the
    // scenes go first to last.
    for (std::unique_ptr<IScene>& scene : scenes) scene.reset();
    scenes.clear();
}

int CSceneManager::CreateScenes() {
    const SceneFactory& factory = InstalledSceneFactory();
    scenes.push_back(factory ? factory() : nullptr);
    if (scenes.back() != nullptr) scenes.back()->Init(context);
    current = 0;
    return 0;
}

IScene* CSceneManager::Current() const {
    if (current < 0 || static_cast<std::size_t>(current) >= scenes.size()) return nullptr;
    return scenes[static_cast<std::size_t>(current)].get();
}

LRESULT CSceneManager::MsgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    IScene* scene = Current();
    return scene != nullptr ? scene->MsgProc(hwnd, message, wParam, lParam) : 0;
}
