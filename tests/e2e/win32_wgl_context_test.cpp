// The WGL context's own choices, run under Wine with fake drivers: an entry
// point a driver cannot supply fails the probe stage, and the pixel-format
// search retries without the swap method before it gives up.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "gl/wgl_context.h"

namespace {

// ---- fetching entry points ----

std::string droppedName;
int fetchCount = 0;

// A distinct, callable-looking address per name; null for the dropped one.
void* fakeGetProc(const char* name) {
    ++fetchCount;
    if (droppedName == name) return nullptr;
    static char addresses[64];
    return &addresses[fetchCount % 64];
}

const char* const kEntriesTheShowCalls[] = {"wglChoosePixelFormatARB",
                                            "wglCreateContextAttribsARB",
                                            "wglSwapIntervalEXT",
                                            "glAttachShader",
                                            "glBindBuffer",
                                            "glBindVertexArray",
                                            "glBufferData",
                                            "glCompileShader",
                                            "glCreateProgram",
                                            "glCreateShader",
                                            "glEnableVertexAttribArray",
                                            "glGenBuffers",
                                            "glGenVertexArrays",
                                            "glGetProgramiv",
                                            "glGetShaderiv",
                                            "glLinkProgram",
                                            "glShaderSource",
                                            "glUseProgram",
                                            "glVertexAttribPointer",
                                            "glBindAttribLocation",
                                            "glGetUniformLocation",
                                            "glUniformMatrix4fv",
                                            "glUniform3fv"};

bool completeAfterLoading(const char* dropped) {
    droppedName = dropped;
    fetchCount = 0;
    loadWglApi(fakeGetProc);
    return wglApiComplete();
}

TEST(WglEntries, AllSuppliedLetsStartUpGoOn) {
    EXPECT_TRUE(completeAfterLoading(""));
    EXPECT_EQ(fetchCount, 23);
    EXPECT_NE(wglApi.wglChoosePixelFormatARB, nullptr);
    EXPECT_NE(wglApi.wglSwapIntervalEXT, nullptr);
    EXPECT_NE(glApi.glUniform3fv, nullptr);
}

TEST(WglEntries, AnyMissingEntryFailsTheProbe) {
    for (const char* name : kEntriesTheShowCalls) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(completeAfterLoading(name));
    }
}

TEST(WglEntries, DriverPlaceholdersForMissingNamesCountAsNull) {
    for (intptr_t placeholder : {intptr_t(0), intptr_t(1), intptr_t(2), intptr_t(3), intptr_t(-1)})
        EXPECT_EQ(wglProcOrNull(reinterpret_cast<PROC>(placeholder)), nullptr) << placeholder;
    for (intptr_t address : {intptr_t(4), intptr_t(0x10001000), intptr_t(-2)})
        EXPECT_EQ(wglProcOrNull(reinterpret_cast<PROC>(address)), reinterpret_cast<void*>(address));
}

// ---- choosing the pixel format ----

struct ChooseCall {
    std::vector<int> attributes;
    bool floatListNull;
    UINT maxFormats;
};

std::vector<ChooseCall> chooseCalls;
// What the fake driver answers to the first and the second search.
struct Answer {
    BOOL result;
    int format;
    UINT count;
};
Answer answers[2];

BOOL WINAPI fakeChoose(HDC, const int* attributes, const FLOAT* floatAttributes, UINT maxFormats,
                       int* format, UINT* count) {
    ChooseCall call;
    for (int i = 0; attributes[i] != 0; ++i) call.attributes.push_back(attributes[i]);
    call.floatListNull = floatAttributes == nullptr;
    call.maxFormats = maxFormats;
    size_t index = chooseCalls.size();
    chooseCalls.push_back(call);
    if (index >= 2) return FALSE;
    // Written whatever the count: with no match the index is meaningless.
    *format = answers[index].format;
    *count = answers[index].count;
    return answers[index].result;
}

int chooseWithAnswers(Answer first, Answer second) {
    chooseCalls.clear();
    answers[0] = first;
    answers[1] = second;
    wglApi.wglChoosePixelFormatARB = fakeChoose;
    return wglChooseFormat(nullptr);
}

const std::vector<int> kFullList = {0x2010, 1,      0x2001, 1,      0x2003, 0x2027,
                                    0x2014, 24,     0x2022, 24,     0x2011, 1,
                                    0x2007, 0x2028, 0x2013, 0x202B, 0x2023, 8};
const std::vector<int> kListWithoutSwapMethod = {0x2010, 1,  0x2001, 1, 0x2003, 0x2027, 0x2014, 24,
                                                 0x2022, 24, 0x2011, 1, 0x2013, 0x202B, 0x2023, 8};

TEST(WglPixelFormat, FullListMatchingIsTakenAtOnce) {
    EXPECT_EQ(chooseWithAnswers({TRUE, 7, 1}, {TRUE, 9, 1}), 7);
    ASSERT_EQ(chooseCalls.size(), 1u);
    EXPECT_EQ(chooseCalls[0].attributes, kFullList);
    EXPECT_TRUE(chooseCalls[0].floatListNull);
    EXPECT_EQ(chooseCalls[0].maxFormats, 1u);
}

TEST(WglPixelFormat, RefusedOrEmptyFullListIsRetriedWithoutSwapMethod) {
    const Answer refusals[] = {{FALSE, 0, 0}, {TRUE, 4, 0}, {FALSE, 5, 1}};
    for (const Answer& refusal : refusals) {
        EXPECT_EQ(chooseWithAnswers(refusal, {TRUE, 9, 1}), 9);
        ASSERT_EQ(chooseCalls.size(), 2u);
        EXPECT_EQ(chooseCalls[0].attributes, kFullList);
        EXPECT_EQ(chooseCalls[1].attributes, kListWithoutSwapMethod);
        EXPECT_TRUE(chooseCalls[1].floatListNull);
        EXPECT_EQ(chooseCalls[1].maxFormats, 1u);
    }
}

TEST(WglPixelFormat, NoMatchEitherTimeGivesNoFormat) {
    // TRUE with a count of 0 is no match: its index must not reach SetPixelFormat.
    const Answer refusals[] = {{FALSE, 0, 0}, {TRUE, 4, 0}, {FALSE, 6, 1}};
    for (const Answer& first : refusals) {
        for (const Answer& second : refusals) {
            EXPECT_EQ(chooseWithAnswers(first, second), 0);
            EXPECT_EQ(chooseCalls.size(), 2u);
        }
    }
}

}  // namespace
