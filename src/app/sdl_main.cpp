// The Linux shell: one borderless window covering the screen, the OpenGL 4.0
// context, the start-up work in its fixed order, then an event loop that never
// waits and draws a frame whenever no event is pending. A start-up failure
// prints one line naming the step and the library's own words, then exit 1.
#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>

#include "audio/music.h"
#include "gl/gl_types.h"
#include "gl/sdl_context.h"
#include "render/mesh_upload.h"
#include "render/render_state.h"
#include "render/shader_programs.h"
#include "render/startup_matrices.h"
#include "show/frame_clock.h"
#include "show/music_start.h"
#include "show/shell.h"

namespace {

SDL_Window* mainWindow = nullptr;
SDL_GLContext mainContext = nullptr;

// Only these drivers put a window on a screen; SDL falls back to others
// ("offscreen", "dummy") when no display answers, and the show would then
// play unseen.
bool showsOnScreen(const char* driver) {
    if (!driver) return false;
    for (const char* visible : {"x11", "wayland", "kmsdrm"})
        if (std::strcmp(driver, visible) == 0) return true;
    return false;
}

// The one line a failed start prints, then exit 1.
[[noreturn]] void refuseStart(const char* step, const char* detail) {
    std::fprintf(stderr, "qorv: %s: %s\n", step, detail && *detail ? detail : "no reason given");
    endProcess(1);
}

// NOTE: closing the display makes Mesa unload its driver, and with it the
// code and data of everything the driver allocated and still points to;
// LeakSanitizer, at exit, would then report those blocks as leaks of an
// unknown module. Every library loaded so far is therefore kept mapped until
// the process ends (what exit frees anyway), which unloads nothing early.
void keepLibrariesLoaded() {
    // Named first and opened after the walk, which holds the loader's lock.
    static const char* names[256];
    size_t count = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* data) {
            auto* count = static_cast<size_t*>(data);
            if (info->dlpi_name && info->dlpi_name[0] && *count < std::size(names))
                names[(*count)++] = info->dlpi_name;
            return 0;
        },
        &count);
    for (size_t i = 0; i < count; ++i) dlopen(names[i], RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
}

// The show ends with exit code 0 only after its last frame, on Escape or on
// a close request. A stop signal ends it too, but says so and gives the
// shell's code for it; SDL's own handlers, which would turn SIGINT and
// SIGTERM into a quit event that looks like a close, are left out.
volatile std::sig_atomic_t stopSignal = 0;

void onStopSignal(int number) { stopSignal = number; }

void catchStopSignals() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &action, nullptr);
}

void endOnStopSignal() {
    const int number = stopSignal;
    if (number == 0) return;
    std::fprintf(stderr, "qorv: stopped by SIG%s\n",
                 number == SIGINT    ? "INT"
                 : number == SIGTERM ? "TERM"
                                     : "HUP");
    endProcess(128 + number);
}

// Escape, or a close request from the window manager, ends the run. A close
// request arrives as the window's close event, before the quit event that
// SDL adds for the last window: a quit event that comes alone has another
// cause (a display that went away), which is not a normal end.
void endOnQuitRequest(const SDL_Event& event) {
    switch (event.type) {
    case SDL_QUIT:
        std::fprintf(stderr, "qorv: SDL asked the show to quit without a close request\n");
        endProcess(1);
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) endProcess(0);
        break;
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_ESCAPE) endProcess(0);
        break;
    default:
        break;
    }
}

}  // namespace

void present() { SDL_GL_SwapWindow(mainWindow); }

void endProcess(int code) {
    // NOTE: exit() runs exit handlers (a tracer's, LeakSanitizer's) that stop
    // every thread of the process to look at it, so nothing the show started
    // may still be running or winding down then: the music thread and SDL's
    // audio thread are joined, the context released (llvmpipe's raster
    // threads go with it), the window destroyed and SDL shut down, which
    // closes the display connection. No GL call is made on the way: the last
    // frame stays unpresented. exit() rather than _Exit() so that buffered
    // output and tools layered over the process (tracers) finish.
    BASS_Free();
    if (mainContext) SDL_GL_DeleteContext(mainContext);
    if (mainWindow) SDL_DestroyWindow(mainWindow);
    keepLibrariesLoaded();
    SDL_Quit();
    std::exit(code);
}

int main(int, char**) {
    catchStopSignals();
    if (SDL_Init(SDL_INIT_VIDEO) != 0) refuseStart("SDL video did not start", SDL_GetError());
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!showsOnScreen(driver)) {
        std::fprintf(stderr, "qorv: no display to show the window on (SDL video driver \"%s\")\n",
                     driver ? driver : "none");
        endProcess(1);
    }

    // The window: borderless, covering the display, raised and focused,
    // cursor hidden. A pixel format that cannot be had fails its creation.
    sdlRequestPixelFormat();
    mainWindow = SDL_CreateWindow(kShowName, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                  kCreatedWidth, kCreatedHeight,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS |
                                      SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI);
    if (!mainWindow) refuseStart("the window could not be made", SDL_GetError());
    SDL_ShowCursor(SDL_DISABLE);
    SDL_RaiseWindow(mainWindow);

    mainContext = sdlCreateContext(mainWindow);
    if (!mainContext) refuseStart("OpenGL 4.0 context refused", SDL_GetError());
    // Never call through a null entry: a driver that lacks one cannot show it.
    if (const char* missing = sdlMissingGlEntry())
        refuseStart("OpenGL entry point missing", missing);

    // The projection's aspect and the viewport both come from the drawable
    // size in pixels once the window fills the screen (on HiDPI displays it
    // differs from the window size in screen units).
    int x = 0, y = 0, width = 0, height = 0;
    SDL_GetWindowPosition(mainWindow, &x, &y);
    SDL_GL_GetDrawableSize(mainWindow, &width, &height);
    windowRect = {x, y, x + width, y + height};
    glViewport(0, 0, width, height);

    setFixedRenderState();
    sdlSetSwapInterval();

    setStartupMatrices();
    if (!buildShaderPrograms())
        refuseStart("a shader program did not build", sdlShaderBuildError());
    setStartupUniforms();
    uploadMeshes();

    startMusic();

    for (;;) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) endOnQuitRequest(event);
        endOnStopSignal();
        renderFrame();
    }
}
