#pragma once
// The canvas's repository ("canvas.data"): the unit rectangle the canvas draws its immediate
// rectangles with ("MeshData__canvas_unit_rect") and the console's background and text cursor
// textures ("Texture_console", "Texture_cursor"), for levels to depend on, as on the shaders.
#include "core/system/types.h"
#include "scenerepositories.h"

class TRepositoryWriter;

// Writes the file; false when it cannot be written. The cluster is cleared before and after.
bool WriteCanvasRepository(const char* path);

// Adds the unit rectangle and the console's textures to what the writer saves. A level whose
// own textures and mesh data replace those of its dependencies carries them itself.
void AddCanvasRecords(TRepositoryWriter& writer);
