#pragma once
// TDecalStream: the one dynamic vertex buffer every decal is drawn through (7,500 vertices,
// triangle list, layout "decal"): vertices are copied in chunks, and a full buffer or another
// shader draws what is pending first.
#include "core/system/types.h"
#include "engine/render/vertexstream.h"

constexpr u32 DECAL_STREAM_VERTICES = 7500;

class TDecalStream : public TVertexStream
{
public:
    static TDecalStream& Get();

private:
    TDecalStream();
};
