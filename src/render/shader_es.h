// The show's GLSL 4.00 sources as GLSL ES 3.00, for OpenGL ES 3.0 and WebGL 2.
#pragma once

#include <string>

// Writes source with its "#version 400" line replaced by "#version 300 es"
// and a default high float precision, which ES fragment shaders must state;
// the rest of the text is kept as it is. Returns false, leaving *out empty,
// when source does not start with that version line.
bool shaderSourceToEs300(std::string* out, const char* source);
