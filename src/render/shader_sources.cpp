// Shader sources, constant text in the program image handed to OpenGL as is.
#include "render/shader_sources.h"

// Position through world, view and projection; the normal through world and
// view with w = 0, so translations leave it alone. It is neither normalised
// nor inverse-transposed here: every world matrix scales all axes alike, and
// the fragment shaders normalise.
const char* const transformedNormalVertexShader = R"(#version 400
in vec3 in_position;
in vec3 in_normal;
out vec3 normal;
uniform mat4 world_matrix;
uniform mat4 view_matrix;
uniform mat4 projection_matrix;
void main() {
    gl_Position = projection_matrix * (view_matrix * (world_matrix * vec4(in_position, 1.0)));
    normal = (view_matrix * (world_matrix * vec4(in_normal, 0.0))).xyz;
}
)";

// The same position; the model-space normal passed on untouched (the flat
// shading never reads it).
const char* const passNormalVertexShader = R"(#version 400
in vec3 in_position;
in vec3 in_normal;
out vec3 normal;
uniform mat4 world_matrix;
uniform mat4 view_matrix;
uniform mat4 projection_matrix;
void main() {
    gl_Position = projection_matrix * (view_matrix * (world_matrix * vec4(in_position, 1.0)));
    normal = in_normal;
}
)";

// Two directional lights on a rough (sigma 0.8) diffuse surface, the
// Oren-Nayar model with its interreflection term, plus a faint ambient. Light
// positions are used only as directions in camera space. The dot products go
// into acos unclamped.
const char* const orenNayarFragmentShader = R"(#version 400
#define PI 3.141592653589793
in vec3 normal;
out vec4 out_color;
uniform vec3 view_direction;
uniform vec3 light_position_0;
uniform vec3 light_color_0;
uniform vec3 light_position_1;
uniform vec3 light_color_1;
const float roughness = 0.8;

float orenNayar(vec3 n, vec3 v, vec3 l) {
    float sigma2 = roughness * roughness;
    float nl = dot(n, l);
    float nv = dot(n, v);
    float thetaL = acos(nl);
    float thetaV = acos(nv);
    float alpha = max(thetaV, thetaL);
    float beta = min(thetaV, thetaL);
    float gamma = dot(v - n * dot(v, n), l - n * dot(l, n));
    float s9 = sigma2 / (sigma2 + 0.09);
    float c1 = 1.0 - 0.5 * (sigma2 / (sigma2 + 0.33));
    float c2;
    if (gamma >= 0.0) {
        c2 = 0.45 * s9 * sin(alpha);
    } else {
        c2 = 0.45 * s9 * (sin(alpha) - pow((2.0 * beta) / PI, 3.0));
    }
    float p = (4.0 * alpha * beta) / (PI * PI);
    float c3 = 0.125 * s9 * p * p;
    float a = gamma * c2 * tan(beta);
    float b = (1.0 - abs(gamma)) * c3 * tan((alpha + beta) / 2.0);
    float direct = max(0.0, nl) * (c1 + a + b);
    float t = 2.0 * beta / PI;
    float bounce = 0.17 * max(0.0, nl) * (sigma2 / (sigma2 + 0.13)) * (1.0 - gamma * t * t);
    return direct + bounce;
}

void main() {
    vec3 n = normalize(normal);
    vec3 v = normalize(view_direction);
    vec3 l0 = normalize(light_position_0);
    vec3 l1 = normalize(light_position_1);
    vec3 color = light_color_0 * orenNayar(n, v, l0) + light_color_1 * orenNayar(n, v, l1)
               + vec3(0.01, 0.01, 0.01);
    out_color = vec4(color, 1.0);
}
)";

// Dark where the surface faces the viewer, brightening towards the
// silhouette: the light colour times the angle between normal and view.
const char* const viewAngleFragmentShader = R"(#version 400
#define PI 3.141592653589793
in vec3 normal;
out vec4 out_color;
uniform vec3 view_direction;
uniform vec3 light_position_0;
uniform vec3 light_color_0;
uniform vec3 light_position_1;
uniform vec3 light_color_1;
void main() {
    vec3 n = normalize(normal);
    vec3 v = normalize(view_direction);
    float a = acos(dot(n, v));
    out_color = vec4(light_color_0 * a, 1.0);
}
)";

// One colour, with its alpha taken from the second light colour's red.
const char* const flatFragmentShader = R"(#version 400
#define PI 3.141592653589793
in vec3 normal;
out vec4 out_color;
uniform vec3 view_direction;
uniform vec3 light_position_0;
uniform vec3 light_color_0;
uniform vec3 light_position_1;
uniform vec3 light_color_1;
void main() {
    out_color = vec4(light_color_0.x, light_color_0.y, light_color_0.z, light_color_1.x);
}
)";

const char* const shaderSourceTable[6] = {
    transformedNormalVertexShader, orenNayarFragmentShader, transformedNormalVertexShader,
    viewAngleFragmentShader,       passNormalVertexShader,  flatFragmentShader,
};
