// A rig for the main loop: the Win32 fakes, a recording Direct3D whose calls
// land in the same event log (prefixed "d3d:"), a created fake window and a
// probe scene in place of the program's scene.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppConfig.h"
#include "app/CAppWindow.h"
#include "app/CSceneManager.h"
#include "app/IScene.h"
#include "platform/d3d9/recording/CRecordingJournal.h"
#include "support/FakeWin32.h"

// A scene that logs what the loop asks of it. `onUpdate` gets the 1-based
// count of updates so far and gives Update's result; `onRender` gets the
// 1-based count of frames.
class CProbeScene : public IScene {
public:
    CProbeScene(CEventLog& log, std::string name) : log(log), name(std::move(name)) {}
    ~CProbeScene() override { log.Add(name + ".destroyed"); }

    int Update() override {
        ++updates;
        log.Add(name + ".Update");
        return onUpdate ? onUpdate(updates) : 0;
    }
    int Render() override {
        ++renders;
        log.Add(name + ".Render");
        if (onRender) onRender(renders);
        return 0;
    }
    int Init(CDXContext* ctx) override {
        log.Add(name + ".Init");
        initContext = ctx;
        return IScene::Init(ctx);
    }
    int Reset() override { return 0; }

    std::function<int(int)> onUpdate;
    std::function<void(int)> onRender;
    int updates = 0;
    int renders = 0;
    CDXContext* initContext = nullptr;

private:
    CEventLog& log;
    std::string name;
};

class CRunRig {
public:
    CRunRig()
        : direct3d([journal = journal](UINT) { return CreateRecordingDirect3D9(journal); }),
          scenes([this]() -> std::unique_ptr<IScene> {
              ++scenesMade;
              auto made = std::make_unique<CProbeScene>(win32.log, "scene");
              scene = made.get();
              if (prepareScene) prepareScene(*scene);
              return made;
          }) {
        g_appConfig = AppConfig{};
        win32.log.AttachJournal(journal);
        window.Create(nullptr, 806, 626);
        EXPECT_NE(window.hwnd, nullptr);
        win32.log.Clear();
    }
    ~CRunRig() { g_appConfig = AppConfig{}; }

    // Updates run before each frame, pass by pass; a pass that ended in an
    // update without drawing counts as a last entry.
    std::vector<int> UpdatesPerPass() {
        std::vector<int> passes;
        int count = 0;
        for (const std::string& entry : win32.log.Entries()) {
            if (entry == "scene.Update") ++count;
            if (entry == "scene.Render") {
                passes.push_back(count);
                count = 0;
            }
        }
        if (count > 0) passes.push_back(count);
        return passes;
    }

    // How often `entry` is logged in each pass (passes end at PeekMessageA).
    std::vector<std::size_t> CountPerPass(const std::string& entry) {
        std::vector<std::size_t> passes{0};
        for (const std::string& logged : win32.log.Entries()) {
            if (logged == entry) ++passes.back();
            if (logged.starts_with("PeekMessageA(")) passes.push_back(0);
        }
        return passes;
    }

    // Entries starting with `prefix`, pass by pass.
    std::vector<std::vector<std::string>> EntriesPerPass(const std::string& prefix) {
        std::vector<std::vector<std::string>> passes(1);
        for (const std::string& logged : win32.log.Entries()) {
            if (logged.starts_with(prefix)) passes.back().push_back(logged);
            if (logged.starts_with("PeekMessageA(")) passes.emplace_back();
        }
        return passes;
    }

    std::shared_ptr<CRecordingJournal> journal = std::make_shared<CRecordingJournal>();
    CFakeWin32 win32;
    CDirect3DFactoryScope direct3d;
    CSceneFactoryScope scenes;
    CAppWindow window;

    std::function<void(CProbeScene&)> prepareScene;
    CProbeScene* scene = nullptr;  // valid while Run runs
    int scenesMade = 0;
};
