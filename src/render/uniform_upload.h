// Uniform uploads by name: the location is looked up in the given program,
// which must be current, just before each upload and never cached. A name the
// program lacks answers -1, whose upload OpenGL ignores.
#pragma once

#include <cstdint>

#include "math/mat4.h"

void uploadMatrix(uint32_t program, const char* name, const Mat4* matrix);
void uploadVector(uint32_t program, const char* name, const Vec3* vector);
