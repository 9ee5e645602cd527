#pragma once
// TSkyStream: the one dynamic vertex buffer the dynamic sky instances its sun, stars, clouds
// and elements into every frame (6,000 sky vertices, triangle list, layout "sky"): an element
// whose vertices do not fit draws what is pending first.
#include "core/system/types.h"
#include "engine/render/vertexstream.h"

constexpr u32 SKY_STREAM_VERTICES = 6000;

struct TMeshDescription;

class TSkyStream : public TVertexStream
{
public:
    static TSkyStream& Get();

private:
    TSkyStream();
};

// The sky vertex (TSkyVertex) in memory order: position, normal as four half floats, texture
// coordinates.
const TMeshDescription& SkyVertexFormat();
