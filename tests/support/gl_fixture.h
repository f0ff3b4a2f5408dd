// Headless GL for tests: one EGL pbuffer context per test process, made
// before the first test that needs it. A context that can't be made fails
// the test with the reason instead of skipping it.
#pragma once
#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <vector>

class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};

// For drawing tests: the shared context with the wrap mode the capability
// check sets, the black render state of the show's start, and no GL error
// left behind by the test.
class SceneGlTest : public GlTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

// True once the shared context exists; err gets the reason otherwise.
bool ensureHeadlessGl(std::string& err);
// Reads the back buffer region as RGB rows, bottom row first.
std::vector<uint8_t> readPixelsRgb(int x, int y, int w, int h);
// One pixel of the back buffer as 0xRRGGBB.
uint32_t pixelAt(int x, int y);
// Writes RGB rows (bottom row first, as GL reads them) to a PNG for looking at.
bool writePngRgb(const char* path, const std::vector<uint8_t>& rgb, int w, int h);
// A whole file as text; empty when it can't be read.
std::string readText(const char* path);
// The whole file; empty when it cannot be read.
std::vector<char> readFileBytes(const std::string& path);
