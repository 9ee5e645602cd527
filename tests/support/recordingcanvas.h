#pragma once
// A canvas that keeps every textured vertex it is asked for (and the texture of each request),
// drawing nothing: what the UI draws can be read back, or timed without a device.
#include "engine/render/canvasmanager.h"

#include <vector>

class TRecordingCanvas : public TCanvasManager
{
public:
    TShader* SetShader(TTexture*, i32) override { return nullptr; }
    void DrawTexture(f32, f32, f32, f32, TShader*, const TColor&) override {}
    TFont SetFont(const TName&, i32) override { return {}; }
    TFont SetDefaultFont() override { return {}; }
    i32 GetTextWidth(const char*, i32) override { return -1; }
    void WriteRect(const f32*, const TColor&, const char*, i32) override {}
    TCanvasVertex* AllocTexturedTriangles(i32 count, TTexture* texture) override
    {
        const size_t at = vertices.size();
        vertices.resize(at + static_cast<size_t>(count));
        textures.push_back(texture);
        return &vertices[at];
    }
    void Clear()
    {
        vertices.clear();
        textures.clear();
    }
    u32 Quads() const { return static_cast<u32>(vertices.size() / 6); }
    // Corner 0 (left, top) and corner 2 (right, bottom) of a quad.
    const TCanvasVertex& TopLeft(u32 quad) const { return vertices[quad * 6]; }
    const TCanvasVertex& BottomRight(u32 quad) const { return vertices[quad * 6 + 2]; }

    std::vector<TCanvasVertex> vertices;
    std::vector<TTexture*> textures;
};
