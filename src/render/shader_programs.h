// The three shader programs: their sources, building and start-up uniforms.
#pragma once

#include <cstdint>

extern uint32_t orenNayarProgram;
extern uint32_t viewAngleProgram;
extern uint32_t flatProgram;

// Compiles and links one program with "in_position" at location 0 and
// "in_normal" at 1, and makes it current. A failed compile or link ends the
// process with exit code 1.
uint32_t buildProgram(const char* const* vertexSource, const char* const* fragmentSource);

// Builds orenNayarProgram, viewAngleProgram and flatProgram, in that order.
void buildShaderPrograms();

// Uploads the start-up value of all eight uniforms to each program in turn;
// leaves flatProgram current.
void setStartupUniforms();
