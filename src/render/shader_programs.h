// The three shader programs: building them and their start-up uniforms.
#pragma once

#include <cstdint>

extern uint32_t orenNayarProgram;
extern uint32_t viewAngleProgram;
extern uint32_t flatProgram;

// Compiles and links one program from two source-table entries, with
// "in_position" at location 0 and "in_normal" at 1, and makes it current. The
// id goes to *program as soon as it exists. Returns false at the first failed
// compile or link status (vertex, fragment, link), with nothing done after it.
bool buildProgram(uint32_t* program, const char* const* vertexSource,
                  const char* const* fragmentSource);

// Builds orenNayarProgram, viewAngleProgram and flatProgram, in that order;
// false as soon as one fails, leaving the rest unbuilt.
bool buildShaderPrograms();

// The same from another table of six sources in shaderSourceTable's order
// (the GLSL ES versions, for WebGL 2).
bool buildShaderProgramsFrom(const char* const* table);

// Uploads the start-up value of all eight uniforms to each program in turn;
// leaves flatProgram current.
void setStartupUniforms();
