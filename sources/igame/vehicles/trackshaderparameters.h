#pragma once
// The track shader vector: (left track offset, right track offset, 0, 0), written by every
// tracked vehicle's track step and handed to the track shader by the plug-in
// "TTrackShaderParameters".
#include "core/math/vector.h"

void SetTrackShaderOffsets(f32 left, f32 right);
const TVector& GetTrackShaderVector();
