// GLSL 4.00 to GLSL ES 3.00. The show's shaders use nothing that ES 3.00
// lacks, so only the version line changes and a float precision is added.
#include "render/shader_es.h"

#include <cstring>

bool shaderSourceToEs300(std::string* out, const char* source) {
    out->clear();
    static const char desktop[] = "#version 400\n";
    if (std::strncmp(source, desktop, sizeof desktop - 1) != 0) return false;
    // highp: the frame must match the desktop picture, and WebGL 2 requires
    // highp floats in fragment shaders.
    out->assign("#version 300 es\nprecision highp float;\n");
    out->append(source + sizeof desktop - 1);
    return true;
}
