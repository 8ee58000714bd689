// The scene list: owns its scenes and destroys them in index order.
#pragma once

#include <memory>
#include <vector>

#include "app/IScene.h"

class CDXContext;

class CSceneManager {
public:
    CSceneManager() = default;
    ~CSceneManager();
    CSceneManager(const CSceneManager&) = delete;
    CSceneManager& operator=(const CSceneManager&) = delete;

    // Creates the program's scene, appends it, runs its Init; always 0.
    int CreateScenes();
    // The current scene, or null when `current` is not a valid index.
    IScene* Current() const;

    std::vector<std::unique_ptr<IScene>> scenes;
    int current = 0;
    CDXContext* context = nullptr;  // borrowed
};
