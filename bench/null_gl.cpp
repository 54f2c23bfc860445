// A GL whose every call returns at once: the OpenGL 1.1 functions that the
// frame routine calls directly, and a GlApi filled with typed no-ops. Linked
// in place of the platform's GL library, it leaves only our own work in a
// frame: matrices, sines, name lookups and the calls themselves.
#include "gl/gl_api.h"
#include "gl/gl_types.h"

#include <cstring>

// The parameters are named by the entry list and unused by design.
#pragma GCC diagnostic ignored "-Wunused-parameter"

void glClear(GLbitfield mask) {}
void glClearColor(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {}
void glEnable(GLenum cap) {}
void glDisable(GLenum cap) {}
void glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices) {}
void glFlush() {}

namespace {

#define QORV_NULL_ENTRY(ret, name, params)                                                         \
    ret QORV_GLAPI null_##name params { return ret(); }
QORV_GL_ENTRIES(QORV_NULL_ENTRY)
#undef QORV_NULL_ENTRY

void* nullGetProc(const char* name) {
#define QORV_NULL_LOOKUP(ret, fn, params)                                                          \
    if (std::strcmp(name, #fn) == 0) return reinterpret_cast<void*>(&null_##fn);
    QORV_GL_ENTRIES(QORV_NULL_LOOKUP)
#undef QORV_NULL_LOOKUP
    return nullptr;
}

}  // namespace

void loadNullGl() { loadGlApi(nullGetProc); }
