// The scene list: owns its scenes and destroys them in index order.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "scene/IScene.h"

class CDXContext;

// Makes the scene that CreateScenes adds: the program installs its main
// scene, tests their own. With none installed the list holds no scene.
using SceneFactory = std::function<std::unique_ptr<IScene>()>;

// Installs a scene factory for the lifetime of the object and restores the
// previous one when it goes.
class CSceneFactoryScope {
public:
    explicit CSceneFactoryScope(SceneFactory factory);
    ~CSceneFactoryScope();
    CSceneFactoryScope(const CSceneFactoryScope&) = delete;
    CSceneFactoryScope& operator=(const CSceneFactoryScope&) = delete;

private:
    SceneFactory previous;
};

class CSceneManager {
public:
    CSceneManager() = default;
    ~CSceneManager();
    CSceneManager(const CSceneManager&) = delete;
    CSceneManager& operator=(const CSceneManager&) = delete;

    // Creates the installed scene, appends it, runs its Init; always 0.
    int CreateScenes();
    // The current scene, or null when `current` is not a valid index.
    IScene* Current() const;
    // Passes a window message to the current scene.
    LRESULT MsgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<std::unique_ptr<IScene>> scenes;
    int current = 0;
    CDXContext* context = nullptr;  // borrowed
};
