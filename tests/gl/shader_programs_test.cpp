// The shader programs build on a real driver, a broken build stops at its
// first failed status and says so, and every active uniform holds its
// start-up value.
#include "gl_test_support.h"

#include <cmath>
#include <map>

#include "render/shader_es.h"
#include "render/shader_programs.h"
#include "render/shader_sources.h"
#include "render/startup_matrices.h"

namespace {

const char* const brokenVertex =
    "#version 400\nin vec3 in_position;\nvoid main() { gl_Position = in_position; }\n";
const char* const brokenFragment =
    "#version 400\nout vec4 out_color;\nvoid main() { out_color = undefined_thing; }\n";
// Compiles alone but cannot link with the transformed-normal vertex shader:
// it reads "normal" as a vec4 where the vertex shader writes a vec3.
const char* const unmatchedFragment =
    "#version 400\nin vec4 normal;\nout vec4 out_color;\nvoid main() { out_color = normal; }\n";

void buildAllAtStartup() {
    windowRect = {0, 0, kTestWidth, kTestHeight};
    setStartupMatrices();
    ASSERT_TRUE(buildShaderPrograms());
    setStartupUniforms();
}

}  // namespace

TEST(ShaderPrograms, AllThreeBuildLinkAndLeaveTheFlatProgramCurrent) {
    requireHeadlessContext();
    buildAllAtStartup();
    for (uint32_t program : {orenNayarProgram, viewAngleProgram, flatProgram}) {
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
        EXPECT_EQ(glGetAttribLocation(program, "in_position"), 0);
        // The flat program never reads its normal, so the linker may drop it.
        if (program != flatProgram) {
            EXPECT_EQ(glGetAttribLocation(program, "in_normal"), 1);
        }
    }
    EXPECT_NE(orenNayarProgram, viewAngleProgram);
    EXPECT_NE(viewAngleProgram, flatProgram);
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(GLuint(current), flatProgram);
    for (const char* source : shaderSourceTable)
        EXPECT_EQ(std::string(source).rfind("#version 400", 0), 0u);
}

// A failed compile leaves the program without shaders (nothing is attached
// after the failed status), a failed link leaves it unlinked and not current.
TEST(ShaderPrograms, AFailedCompileOrLinkStopsTheBuild) {
    requireHeadlessContext();
    struct Case {
        const char* name;
        const char* const* vertex;
        const char* const* fragment;
        GLint attached;
    };
    const Case cases[] = {
        {"broken vertex shader", &brokenVertex, &flatFragmentShader, 0},
        {"broken fragment shader", &passNormalVertexShader, &brokenFragment, 0},
        {"unmatched pair", &transformedNormalVertexShader, &unmatchedFragment, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        glUseProgram(0);
        uint32_t program = 0;
        EXPECT_FALSE(buildProgram(&program, c.vertex, c.fragment));
        ASSERT_NE(program, 0u);
        GLint attached = -1, linked = -1, current = -1;
        glGetProgramiv(program, GL_ATTACHED_SHADERS, &attached);
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        EXPECT_EQ(attached, c.attached);
        EXPECT_EQ(linked, GL_FALSE);
        EXPECT_EQ(current, 0);
    }
}

// The GLSL ES 3.00 versions (the browser build's) keep every line but the
// version, and build and link on a real driver: Mesa takes ES 3.00 shaders in
// a desktop context. A text without the desktop version line is refused.
TEST(ShaderPrograms, EsVersionsOfTheSourcesBuild) {
    std::string es[6];
    const char* table[6];
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(shaderSourceToEs300(&es[i], shaderSourceTable[i]));
        const std::string desktop = shaderSourceTable[i];
        const std::string body = desktop.substr(desktop.find('\n') + 1);
        EXPECT_EQ(es[i], "#version 300 es\nprecision highp float;\n" + body);
        table[i] = es[i].c_str();
    }
    std::string refused = "x";
    EXPECT_FALSE(shaderSourceToEs300(&refused, "#version 410\nvoid main() {}\n"));
    EXPECT_FALSE(shaderSourceToEs300(&refused, "void main() {}\n"));
    EXPECT_TRUE(refused.empty());

    requireHeadlessContext();
    windowRect = {0, 0, kTestWidth, kTestHeight};
    setStartupMatrices();
    ASSERT_TRUE(buildShaderProgramsFrom(table));
    for (uint32_t program : {orenNayarProgram, viewAngleProgram, flatProgram}) {
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
        EXPECT_EQ(glGetAttribLocation(program, "in_position"), 0);
    }
}

TEST(ShaderPrograms, ActiveUniformsHoldTheStartupValues) {
    requireHeadlessContext();
    buildAllAtStartup();

    // Independent expectations: the look-at from (0, 0, 30) is a pure
    // translation by -30 in z, and the projection of a 192 x 108 window with
    // fovy 1.413675 and planes 0.01 and 100.
    const double f = 1.0 / std::tan(1.413675 / 2.0);
    const double aspect = 192.0 / 108.0;
    float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -30, 1};
    float projection[16] = {
        float(f / aspect),   0, 0, 0, 0, float(f), 0, 0, 0, 0, float(-100.01 / 99.99), -1, 0, 0,
        float(-2.0 / 99.99), 0};
    float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const std::map<std::string, std::vector<float>> expected = {
        {"world_matrix", std::vector<float>(identity, identity + 16)},
        {"view_matrix", std::vector<float>(view, view + 16)},
        {"projection_matrix", std::vector<float>(projection, projection + 16)},
        {"view_direction", {0, 0, 1}},
        {"light_position_0", {500, -100, -200}},
        {"light_color_0", {0.5f, 1.0f, 0.1f}},
        {"light_position_1", {-300, 200, 400}},
        {"light_color_1", {0.9f, 0.4f, 0.0f}},
    };
    const std::map<uint32_t, std::vector<std::string>> mustBeActive = {
        {orenNayarProgram,
         {"world_matrix", "view_matrix", "projection_matrix", "view_direction", "light_position_0",
          "light_color_0", "light_position_1", "light_color_1"}},
        {viewAngleProgram,
         {"world_matrix", "view_matrix", "projection_matrix", "view_direction", "light_color_0"}},
        {flatProgram,
         {"world_matrix", "view_matrix", "projection_matrix", "light_color_0", "light_color_1"}},
    };
    for (const auto& [program, names] : mustBeActive) {
        for (const std::string& name : names) {
            GLint location = glGetUniformLocation(program, name.c_str());
            ASSERT_GE(location, 0) << name << " inactive in program " << program;
            float value[16] = {};
            glGetUniformfv(program, location, value);
            const std::vector<float>& want = expected.at(name);
            for (size_t i = 0; i < want.size(); ++i)
                EXPECT_NEAR(value[i], want[i], 1e-5f * (1.0f + std::fabs(want[i])))
                    << name << "[" << i << "] in program " << program;
        }
    }
}
