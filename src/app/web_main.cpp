// The browser shell: a WebGL 2 canvas that fills the page, a start screen
// that waits for the click browsers require before sound, then one frame per
// animation frame, counted as in the other shells. Escape or the end of the
// show stops the music and the loop and shows an end screen.
//
// The page's query chooses the mode:
//   (none)                the show, after a click
//   ?frame=N&size=WxH     frame N drawn once at W x H, no start screen; its
//                         pixels go to the page (Module.qorvPixels) for tests
//   ?bench=N[&size=WxH]   frame N drawn 30 times, the median time printed
//   ?from=N               the show after the click, counted from frame N, the
//                         music started (N - 1) / 60 s in, where frame N
//                         falls at 60 Hz: for working on a moment of the show
//                         without watching all that comes before it
#include <emscripten.h>
#include <emscripten/html5.h>
#include <emscripten/wget.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "audio/music.h"
#include "audio/web_music.h"
#include "gl/gl_api.h"
#include "gl/gl_types.h"
#include "gl/shader_log.h"
#include "render/mesh_upload.h"
#include "render/render_state.h"
#include "render/shader_es.h"
#include "render/shader_programs.h"
#include "render/shader_sources.h"
#include "render/startup_matrices.h"
#include "show/frame_clock.h"
#include "show/music_start.h"
#include "show/shell.h"
#include "show/timeline.h"

// The frames drawn so far, for the page (and its tests) to read.
EM_JS(void, publishFrameCount, (double frames), { Module.qorvFrame = frames; });
// Whether c.ogg opened as a stream that plays.
EM_JS(void, publishMusic, (int playing), { Module.qorvMusic = playing; });
// The music queue: slices queued so far, the times the source ran dry, and
// the frames dropped for ?from=N (left undefined without it).
EM_JS(void, publishMusicQueue, (int slices, int ranDry, double skipped), {
    Module.qorvMusicSlices = slices;
    Module.qorvMusicRanDry = ranDry;
    if (skipped >= 0) Module.qorvMusicSkipped = skipped;
});

namespace {

constexpr char kCanvas[] = "#canvas";

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
bool running = false;
bool ended = false;
// The first frame after the click; 1 but with ?from=N.
int firstFrame = 1;
// renderFrame ends the show from inside the frame; endProcess jumps back to
// the frame callback, which then stops the loop.
bool inFrame = false;
std::jmp_buf frameExit;

// The words on the screen above the canvas; an empty text hides it.
void showScreen(const char* text) {
    EM_ASM(
        {
            var screen = document.getElementById('screen');
            screen.textContent = UTF8ToString($0);
            screen.hidden = UTF8ToString($0).length == 0;
        },
        text);
}

void* webGetProc(const char* name) { return emscripten_webgl_get_proc_address(name); }

// The query parameter's value, or "" when the page has none.
std::string queryValue(const char* name) {
    char* value = reinterpret_cast<char*>(EM_ASM_INT(
        {
            var v = new URLSearchParams(location.search).get(UTF8ToString($0));
            return v == null ? 0 : allocateUTF8(v);
        },
        name));
    std::string result = value ? value : "";
    std::free(value);
    return result;
}

// A whole frame number of the show, 1..8000, and nothing after it.
bool parseFrame(int* n, const std::string& text) {
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    *n = int(value);
    return end != text.c_str() && *end == '\0' && value >= 1 && value <= long(kLastPresentedFrame);
}

bool parseSize(int* width, int* height, const std::string& text) {
    return std::sscanf(text.c_str(), "%dx%d", width, height) == 2 && *width > 0 && *height > 0 &&
           *width <= 16384 && *height <= 16384;
}

// The canvas's drawing buffer at its size on the page, in device pixels.
void fitCanvasToPage(int* width, int* height) {
    double cssWidth = 0, cssHeight = 0;
    emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
    const double ratio = emscripten_get_device_pixel_ratio();
    *width = std::max(1, int(cssWidth * ratio + 0.5));
    *height = std::max(1, int(cssHeight * ratio + 0.5));
    emscripten_set_canvas_element_size(kCanvas, *width, *height);
}

// The projection's aspect and the viewport follow the drawing buffer, as the
// desktop shells take them from the window that covers the screen.
void useDrawingBuffer(int width, int height) {
    windowRect = {0, 0, width, height};
    glViewport(0, 0, width, height);
    setStartupMatrices();
}

// A WebGL 2 context: no alpha (the curtains write alpha 0, which must not let
// the page show through), no multisampling (it would move every edge), a
// depth and stencil buffer as the desktop pixel format has.
bool createContext() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_TRUE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (context <= 0) return false;
    emscripten_webgl_make_context_current(context);
    loadGlApi(webGetProc);
    return missingGlEntry() == nullptr;
}

// The start-up work of the desktop shells, with the shaders in GLSL ES.
bool startShow() {
    setFixedRenderState();
    std::string sources[6];
    const char* table[6];
    for (int i = 0; i < 6; ++i) {
        if (!shaderSourceToEs300(&sources[i], shaderSourceTable[i])) return false;
        table[i] = sources[i].c_str();
    }
    if (!buildShaderProgramsFrom(table)) {
        std::string message = "qorv: a shader program did not build: ";
        message += shaderBuildLog(webGetProc);
        std::fprintf(stderr, "%s\n", message.c_str());
        showScreen(message.c_str());
        return false;
    }
    setStartupUniforms();
    uploadMeshes();
    return true;
}

// The end, by Escape or after the last frame: the music and the loop stop,
// full screen is left and the end screen shown. Runs once.
void finishShow(int code) {
    if (ended) return;
    ended = true;
    running = false;
    BASS_Free();
    // The canvas keeps no picture past the last frame shown: frame 8001 is
    // drawn before the end test, as on the desktop.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    emscripten_exit_fullscreen();
    EM_ASM({ Module.qorvEnded = $0; }, code);
    showScreen("The end.\n\nReload the page to watch again.");
}

EM_BOOL onFrame(double, void*) {
    if (!running) return EM_FALSE;
    musicPump();
    MusicQueueFigures queue;
    musicQueueFigures(&queue);
    publishMusicQueue(queue.slices, queue.ranDry, queue.skippedFrames);
    inFrame = true;
    if (setjmp(frameExit) != 0) {
        inFrame = false;
        return EM_FALSE;
    }
    renderFrame();
    inFrame = false;
    publishFrameCount(frameCounter);
    return EM_TRUE;
}

EM_BOOL onKey(int, const EmscriptenKeyboardEvent* event, void*) {
    if (std::strcmp(event->key, "Escape") != 0) return EM_FALSE;
    if (running) finishShow(0);
    return EM_TRUE;
}

// NOTE: in full screen the browser keeps Escape for itself: it leaves full
// screen and the page never sees the key. Leaving full screen while the show
// runs is therefore taken as the Escape it was.
bool wasFullscreen = false;

EM_BOOL onFullscreenChange(int, const EmscriptenFullscreenChangeEvent* event, void*) {
    if (event->isFullscreen) {
        wasFullscreen = true;
    } else if (wasFullscreen && running) {
        finishShow(0);
    }
    return EM_FALSE;
}

EM_BOOL onResize(int, const EmscriptenUiEvent*, void*) {
    if (!running) return EM_FALSE;
    int width = 0, height = 0;
    fitCanvasToPage(&width, &height);
    useDrawingBuffer(width, height);
    // The start-up uniforms again, for the new projection; every other
    // uniform is uploaded anew each frame.
    setStartupUniforms();
    return EM_FALSE;
}

// The click on the start screen: sound may start now. Music, a request for
// full screen (a refusal is fine), and frame 1 at the next animation frame.
EM_BOOL onStart(int, const EmscriptenMouseEvent*, void*) {
    if (running || ended) return EM_TRUE;
    emscripten_set_click_callback("#screen", nullptr, EM_FALSE, nullptr);
    showScreen("");
    startMusic();
    publishMusic(musicStream != 0);
    EmscriptenFullscreenStrategy strategy = {};
    strategy.scaleMode = EMSCRIPTEN_FULLSCREEN_SCALE_STRETCH;
    strategy.canvasResolutionScaleMode = EMSCRIPTEN_FULLSCREEN_CANVAS_SCALE_NONE;
    strategy.filteringMode = EMSCRIPTEN_FULLSCREEN_FILTERING_DEFAULT;
    emscripten_request_fullscreen_strategy(kCanvas, EM_FALSE, &strategy);
    running = true;
    frameCounter = firstFrame - 1.0;
    emscripten_request_animation_frame_loop(onFrame, nullptr);
    return EM_TRUE;
}

// c.ogg is fetched before the click is taken, into the file system that the
// music calls read; a missing file leaves the show silent, as on the desktop.
void onMusicFetched(void*, void* data, int size) {
    if (FILE* file = std::fopen("c.ogg", "wb")) {
        std::fwrite(data, 1, size_t(size), file);
        std::fclose(file);
    }
    showScreen("Click to start.");
    emscripten_set_click_callback("#screen", nullptr, EM_FALSE, onStart);
}

void onMusicMissing(void*) { onMusicFetched(nullptr, nullptr, 0); }

// Test mode: frame n exactly as the show draws it (frame counter n - 1),
// read back top row first for the page.
void drawOneFrame(int n) {
    frameCounter = n - 1.0;
    inFrame = true;
    if (setjmp(frameExit) == 0) renderFrame();
    inFrame = false;
}

void handOverPixels(int width, int height) {
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    const size_t row = size_t(width) * 4;
    std::vector<uint8_t> flipped(rgba.size());
    for (int y = 0; y < height; ++y)
        std::memcpy(&flipped[size_t(y) * row], &rgba[size_t(height - 1 - y) * row], row);
    EM_ASM(
        {
            var frame = {};
            frame.width = $1;
            frame.height = $2;
            frame.rgba = HEAPU8.slice($0, $0 + $1 * $2 * 4);
            Module.qorvPixels = frame;
        },
        flipped.data(), width, height);
}

void benchFrame(int n, int width, int height) {
    std::vector<double> times;
    uint8_t pixel[4];
    for (int i = 0; i < 30; ++i) {
        const double start = emscripten_get_now();
        drawOneFrame(n);
        // Reading a pixel waits for the GPU work of the frame.
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        times.push_back(emscripten_get_now() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("qorv-bench: frame %d at %dx%d: median %.2f ms of 30 draws\n", n, width, height,
                (times[14] + times[15]) / 2.0);
}

}  // namespace

void present() {
    // The browser shows the canvas when the animation frame callback returns.
}

void endProcess(int code) {
    finishShow(code);
    if (inFrame) std::longjmp(frameExit, 1);
    emscripten_force_exit(code);
}

int main() {
    const std::string frame = queryValue("frame");
    const std::string bench = queryValue("bench");
    const std::string from = queryValue("from");
    const std::string size = queryValue("size");
    // One frame number at most: the frame to draw, to time, or to start at.
    const std::string& frameText = !frame.empty() ? frame : !bench.empty() ? bench : from;
    int n = 1;
    if (!frameText.empty() && !parseFrame(&n, frameText)) {
        showScreen("qorv: the frame must be within 1..8000");
        return 1;
    }
    const bool oneFrame = !frame.empty() || !bench.empty();
    int width = 0, height = 0;
    if (oneFrame && !size.empty()) {
        if (!parseSize(&width, &height, size)) {
            showScreen("qorv: size must be WIDTHxHEIGHT");
            return 1;
        }
        emscripten_set_canvas_element_size(kCanvas, width, height);
    } else {
        fitCanvasToPage(&width, &height);
    }

    if (!createContext()) {
        showScreen("This show needs WebGL 2, which this browser does not offer.");
        return 1;
    }
    useDrawingBuffer(width, height);
    if (!startShow()) return 1;

    if (oneFrame) {
        showScreen("");
        if (!frame.empty()) {
            drawOneFrame(n);
            handOverPixels(width, height);
            std::printf("qorv: frame %d drawn at %dx%d\n", n, width, height);
        } else {
            benchFrame(n, width, height);
        }
        return 0;
    }

    firstFrame = n;
    // The music is decoded from its start and dropped up to frame n's time.
    if (!from.empty()) musicStartAt((n - 1) / 60.0);
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onKey);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, onResize);
    emscripten_set_fullscreenchange_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE,
                                             onFullscreenChange);
    showScreen("Loading the music...");
    emscripten_async_wget_data("c.ogg", nullptr, onMusicFetched, onMusicMissing);
    return 0;
}
