// The process-wide GlApi table and its loader.
#include "gl/gl_api.h"

GlApi glApi;

void loadGlApi(GlGetProc getProc) {
#define QORV_GL_LOAD(ret, name, params) glApi.name = reinterpret_cast<name##Fn>(getProc(#name));
    QORV_GL_ENTRIES(QORV_GL_LOAD)
#undef QORV_GL_LOAD
}

const char* missingGlEntry() {
#define QORV_GL_CHECK(ret, name, params)                                                           \
    if (glApi.name == nullptr) return #name;
    QORV_GL_ENTRIES(QORV_GL_CHECK)
#undef QORV_GL_CHECK
    return nullptr;
}
