#pragma once
// The list of the game's shaders (data/shaders/shaders.list), one statement per line, "//"
// starts a comment:
//
//   global <file>                              the global effect: the parameters every effect
//                                              shares through the pool
//   parameter <name> [plugin]                  an entry of the global parameter table; with
//                                              "plugin" fed by the plug-in of the same name
//   shader <name>                              a shader resource; its programs follow
//   program <layout> <defines> <mask> <file> [<slot>:<sampler byte> ...]
//                                              an effect program looked up by vertex layout,
//                                              define text ("-": none) and texture mask; the
//                                              slots given may hold textures, on those samplers
//   share <layout> <defines> <mask> <program>  a program using the effect of an earlier program
//                                              of the shader (counted from 0)
//   wireframe <layout> <defines> <mask> <program>
//                                              a program drawing the effect of an earlier
//                                              program with every pass in wire-frame fill
//
// Files are effect descriptions (platform/d3dx9/effectcompiler.h) beside the list.
#include "core/system/types.h"

#include <string>
#include <vector>

struct TShaderListProgram
{
    std::string layout;
    std::string defines; // empty: none
    u32 mask = 0;
    std::string file;    // empty: shares program `shared`, or draws it in wire frames
    u32 shared = 0;
    bool wireframe = false;
    // Slot -> sampler byte, for the slots the program may link textures into.
    std::vector<std::pair<u32, u32>> samplers;
};

struct TShaderListShader
{
    std::string name;
    std::vector<TShaderListProgram> programs;
};

struct TShaderListParameter
{
    std::string name;
    bool plugin = false;
};

struct TShaderList
{
    std::string global;
    std::vector<TShaderListParameter> parameters;
    std::vector<TShaderListShader> shaders;

    // Answers false with `error` set to "line N: reason" for the first fault of the text.
    bool Parse(const std::string& text, std::string& error);
};
