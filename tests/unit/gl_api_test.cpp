// loadGlApi fetches every entry in table order through the injected get-proc
// function, keeps null answers, and missingGlEntry names the first gap.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gl/gl_api.h"

namespace {

std::vector<std::string> asked;
const char* dropped = nullptr;
char fakeEntry;

void* fakeGetProc(const char* name) {
    asked.push_back(name);
    if (dropped && std::strcmp(name, dropped) == 0) return nullptr;
    return &fakeEntry;
}

}  // namespace

TEST(GlApiLoader, FetchesEveryEntryOnceInTableOrder) {
    asked.clear();
    dropped = nullptr;
    loadGlApi(fakeGetProc);
    ASSERT_EQ(asked.size(), 20u);
    EXPECT_EQ(asked.front(), "glAttachShader");
    EXPECT_EQ(asked[2], "glBindVertexArray");
    EXPECT_EQ(asked.back(), "glUniform3fv");
    EXPECT_EQ(missingGlEntry(), nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(glApi.glUniformMatrix4fv), &fakeEntry);
}

TEST(GlApiLoader, NamesTheEntryThatTheDriverLacks) {
    for (const char* name : {"glAttachShader", "glVertexAttribPointer", "glUniform3fv"}) {
        asked.clear();
        dropped = name;
        loadGlApi(fakeGetProc);
        ASSERT_NE(missingGlEntry(), nullptr);
        EXPECT_STREQ(missingGlEntry(), name);
    }
    dropped = nullptr;
}
