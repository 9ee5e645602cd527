#pragma once
// Every FreeType face in use, one per (font file, em size), shared by the GDI fonts and the
// D3DX fonts of the process and kept for its life. Face names map to the installed fonts
// through one small table.
#include "platform/d3dx9/fontface.h"

#include <memory>

class TFontFaceCache
{
public:
    // The face for a GDI-style request (face name, height, weight); null when the font file
    // cannot be read.
    static std::shared_ptr<TFontFace> Find(const char* faceName, int height, int weight);
    // The font file that stands for a face name.
    static const char* FontFile(const char* faceName, int weight);
};
