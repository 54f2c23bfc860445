// The five GLSL 4.00 sources and the table that pairs them into programs.
#pragma once

extern const char* const transformedNormalVertexShader;
extern const char* const passNormalVertexShader;
extern const char* const orenNayarFragmentShader;
extern const char* const viewAngleFragmentShader;
extern const char* const flatFragmentShader;

// A vertex/fragment pair per program: Oren-Nayar, view angle, flat.
extern const char* const shaderSourceTable[6];
