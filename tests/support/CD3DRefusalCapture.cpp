#include "support/CD3DRefusalCapture.h"

#include <gtest/gtest.h>

#include <cstdio>

CD3DRefusalCapture::CD3DRefusalCapture()
    : previous(SetD3DRefusalSink([this](const std::string& line) { lines.push_back(line); })) {}

CD3DRefusalCapture::~CD3DRefusalCapture() {
    SetD3DRefusalSink(std::move(previous));
    if (::testing::Test::HasFailure())
        for (const std::string& line : lines) std::fprintf(stderr, "%s\n", line.c_str());
}
