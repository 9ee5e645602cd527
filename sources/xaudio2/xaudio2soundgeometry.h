#pragma once
// TXAudio2SoundGeometry (stored type 75's prototype) and its geometry data resource (type 74,
// kind 14, not kept in an array): the node object asks for its data when its node is enabled or
// moves; neither takes part in the sound computations.
#include "engine/sound/soundgeometry.h"
#include "engine/system/resource.h"
#include "xaudio2/soundtypes.h"

class TXAudio2SoundGeometryData : public TResource
{
public:
    TXAudio2SoundGeometryData() { m_nKind = SOUND_KIND_GEOMETRY_DATA; }
};

static_assert(sizeof(TXAudio2SoundGeometryData) == 68);

class TXAudio2SoundGeometry : public TSoundGeometry
{
public:
    TXAudio2SoundGeometry();
    void OnEnable(u32) override { RequireData(); }
    void OnNodeUpdate(const TName*) override { RequireData(); }

private:
    void RequireData()
    {
        if (pGeometryData)
            pGeometryData->Require();
    }
};

static_assert(sizeof(TXAudio2SoundGeometry) == 16);
