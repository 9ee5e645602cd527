#pragma once
// A render target's pixels against a golden image (tests/platform/d3d9/golden.h).
#include <string>

class TRenderTarget;

// Empty when the target's width x height pixels match the golden image; else what differs.
std::string CompareTargetWithGolden(TRenderTarget* target, const std::string& name, int width, int height);
