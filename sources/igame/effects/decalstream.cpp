#include "igame/effects/decalstream.h"

#include "igame/effects/decalvertex.h"

TDecalStream& TDecalStream::Get()
{
    static TDecalStream s_Stream;
    return s_Stream;
}

TDecalStream::TDecalStream() : TVertexStream(DECAL_STREAM_VERTICES, sizeof(TDecalVertex), DecalVertexFormat())
{
}
