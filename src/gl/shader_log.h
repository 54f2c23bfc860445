// The words of the driver after a shader program failed to build, for the one
// line a shell shows: the shared build code itself reads no log.
#pragma once

#include "gl/gl_api.h"

// The first line of the info log of the shader that did not compile or the
// program that did not link, found by name through getProc's entries; "no
// info log" when there is none.
const char* shaderBuildLog(GlGetProc getProc);
