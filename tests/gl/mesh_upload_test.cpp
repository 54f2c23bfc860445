// Mesh upload: buffer sizes match the meshes, and a vertex array object alone
// restores both attributes and the index buffer.
#include "gl_test_support.h"

#include "render/mesh_upload.h"
#include "render/shader_programs.h"
#include "render/startup_matrices.h"

namespace {

GLint boundBufferSize(GLenum target) {
    GLint size = -1;
    glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
    return size;
}

}  // namespace

TEST(MeshUpload, BufferSizesAreTheRecordAndIndexBytes) {
    requireHeadlessContext();
    struct Case {
        const MeshBlob* mesh;
        GLint vertexBytes, indexBytes;
    };
    const Case cases[] = {
        {&ringMesh, 2359296, 2359296},
        {&blobMesh, GLint(blobMesh.vertexCount * 24), GLint(blobMesh.indexCount * 4)},
        {&backdropMesh, 6744, 1572},
        {&quadMesh, 96, 24},
    };
    for (const Case& c : cases) {
        uint32_t vertexArray = 0;
        MeshBuffers buffers = uploadMesh(&vertexArray, c.mesh);
        EXPECT_EQ(buffers.vertexArray, vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, buffers.vertexBuffer);
        EXPECT_EQ(boundBufferSize(GL_ARRAY_BUFFER), c.vertexBytes);
        // The element binding belongs to the vertex array object.
        glBindVertexArray(vertexArray);
        GLint recorded = 0;
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &recorded);
        EXPECT_EQ(GLuint(recorded), buffers.indexBuffer);
        EXPECT_EQ(boundBufferSize(GL_ELEMENT_ARRAY_BUFFER), c.indexBytes);
    }
}

TEST(MeshUpload, BindingTheQuadsVertexArrayAloneIsEnoughToDrawIt) {
    requireHeadlessContext();
    windowRect = {0, 0, kTestWidth, kTestHeight};
    setStartupMatrices();
    ASSERT_TRUE(buildShaderPrograms());
    setStartupUniforms();
    uploadMeshes();

    // Nothing bound but the quad's vertex array object.
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(quadVertexArray);

    // The quad stands facing the start-up camera at (0, 0, 30): turned up by
    // a quarter turn about X and scaled to 5, it spans x and y in [-5, 5].
    Mat4 world;
    mat4Identity(&world);
    mat4RotateX(&world, &world, 1.5707964f);
    mat4Scale(&world, &world, 5.0f, 5.0f, 5.0f);
    glUseProgram(flatProgram);
    glUniformMatrix4fv(glGetUniformLocation(flatProgram, "world_matrix"), 1, GL_FALSE, world.m);
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
    glEnable(GL_DEPTH_TEST);
    Image image = readFramebuffer();

    // Start-up colour (0.5, 1.0, 0.1) inside; the half-height of the view at
    // distance 30 is 30 tan(0.7068) = 25.6, so the quad covers the central
    // 5 / 25.6 of the height.
    const int cx = kTestWidth / 2, cy = kTestHeight / 2;
    const int half = int(kTestHeight / 2 * 5.0 / 25.6);
    const uint8_t* inside = image.at(cx, cy);
    EXPECT_EQ(inside[0], 128);
    EXPECT_EQ(inside[1], 255);
    EXPECT_EQ(inside[2], 26);
    EXPECT_EQ(image.at(cx, cy - half + 2)[1], 255);
    EXPECT_EQ(image.at(cx, cy - half - 2)[1], 0) << saveForInspection(image, "quad");
    EXPECT_EQ(image.at(cx + half + 2, cy)[1], 0);
    glUniformMatrix4fv(glGetUniformLocation(flatProgram, "world_matrix"), 1, GL_FALSE,
                       worldMatrix.m);
}
