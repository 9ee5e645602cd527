#pragma once
// Writes the shader repository: the shaders of a list (shaderlist.h), each with its program
// records and one zlib-compressed data block of effect descriptions, and the shader manager's
// two blocks (the global parameter table and the global effect), through the engine's own
// cluster save. The engine's cluster is cleared before and after.
#include "core/system/types.h"
#include "scenerepositories.h"

#include <string>

// The repository (SHADER_REPOSITORY_ID) is loaded in full with every level that depends on it.

// Reads "<folder>/shaders.list" and the descriptions it names, checks that every description
// compiles, and writes the repository file; false with `error` set ("<file>: line N: reason",
// or what could not be read or written).
bool WriteShaderRepository(const char* folder, const char* path, std::string& error);
