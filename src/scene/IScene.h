// The scene interface that the main loop drives.
#pragma once

#include "platform/Win32.h"

class CDXContext;

class IScene {
public:
    IScene() = default;
    virtual ~IScene() = default;
    IScene(const IScene&) = delete;
    IScene& operator=(const IScene&) = delete;

    // Draws the scene's frame, between BeginScene and EndScene.
    virtual int Render() = 0;
    // Advances one fixed 16 ms step; 1 asks the program to end.
    virtual int Update() = 0;
    // Called once, right after the scene joins the list.
    virtual int Init(CDXContext* ctx) {
        context = ctx;
        return 0;
    }
    virtual void SetSceneParam(int param) { sceneParam = param; }
    // Takes a keyboard, mouse-button or wheel message that the window procedure
    // passes on; the default ignores it.
    virtual LRESULT MsgProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
    // Whether the scene takes the key's presses for itself just now, so that
    // the program's own use of the key (Escape quits) leaves it alone.
    virtual bool HoldsKey(int) const { return false; }
    // Puts the scene's device state and counters back to their start.
    virtual int Reset() = 0;

protected:
    CDXContext* context = nullptr;  // borrowed
    int frameCounter = 0;
    int sceneParam = 0;
};
