// Catches the device layer's refusal lines (see D3DRefusal.h) for as long
// as it lives, so that a test that provokes refusals keeps its output
// readable and can check the lines. Should the test fail, the lines caught
// are printed when the capture ends, where they help.
#pragma once

#include <string>
#include <vector>

#include "platform/d3d9/D3DRefusal.h"

class CD3DRefusalCapture {
public:
    CD3DRefusalCapture();
    ~CD3DRefusalCapture();
    CD3DRefusalCapture(const CD3DRefusalCapture&) = delete;
    CD3DRefusalCapture& operator=(const CD3DRefusalCapture&) = delete;

    const std::vector<std::string>& Lines() const { return lines; }
    void Clear() { lines.clear(); }

private:
    std::vector<std::string> lines;
    D3DRefusalSink previous;
};
