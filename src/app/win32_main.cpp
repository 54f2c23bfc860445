// The Windows shell: WinMain's start-up sequence and polling message loop, the
// window procedure that turns every WM_PAINT into a frame, and the shell seam.
#include <windows.h>

#include <cstddef>

#include "gl/wgl_context.h"
#include "render/mesh_upload.h"
#include "render/render_state.h"
#include "render/shader_programs.h"
#include "render/startup_matrices.h"
#include "show/frame_clock.h"
#include "show/music_start.h"
#include "show/shell.h"

HWND probeWindow;
HWND mainWindow;
HDC mainDc;

// The portable windowRect is filled by GetWindowRect, so it must be a RECT.
static_assert(sizeof(ScreenRect) == sizeof(RECT), "ScreenRect must be laid out like RECT");
static_assert(offsetof(ScreenRect, left) == offsetof(RECT, left) &&
                  offsetof(ScreenRect, top) == offsetof(RECT, top) &&
                  offsetof(ScreenRect, right) == offsetof(RECT, right) &&
                  offsetof(ScreenRect, bottom) == offsetof(RECT, bottom),
              "ScreenRect must be laid out like RECT");
#if defined(__i386__)
// Only the shipped 32-bit program has the 48-byte record; the 64-bit test
// build of the same sources has wider handles and pointers.
static_assert(sizeof(WNDCLASSEXA) == 48, "the window class record is 48 bytes on 32-bit Windows");
#endif

void present() { SwapBuffers(mainDc); }

void endProcess(int code) { ExitProcess(static_cast<UINT>(code)); }

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        // Never validated: the window stays invalid, so the next WM_PAINT comes
        // as soon as the queue is otherwise empty, and each one draws a frame.
        renderFrame();
        return 0;
    case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) PostQuitMessage(0);
        return 0;
    case WM_KEYUP:
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

namespace {

HWND createShowClassWindow(HINSTANCE instance, int x, int y, int width, int height) {
    return CreateWindowExA(WS_EX_APPWINDOW, kShowName, kShowName, WS_POPUP, x, y, width, height,
                           nullptr, nullptr, instance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HINSTANCE instance = GetModuleHandleA(nullptr);

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kShowName;
    RegisterClassExA(&windowClass);

    probeWindow = createShowClassWindow(instance, 0, 0, 10, 10);
    ShowWindow(probeWindow, SW_HIDE);
    // Every failed start-up test ends the process at once with exit code 1.
    if (!wglProbeStage(probeWindow)) endProcess(1);

    // CS_OWNDC keeps this device context valid for the whole run.
    mainWindow = createShowClassWindow(instance, 50, 50, kCreatedWidth, kCreatedHeight);
    mainDc = GetDC(mainWindow);
    ShowWindow(mainWindow, SW_SHOW);
    ShowWindow(mainWindow, SW_SHOWMAXIMIZED);
    ShowCursor(FALSE);
    SetForegroundWindow(mainWindow);
    SetFocus(mainWindow);
    GetWindowRect(mainWindow, reinterpret_cast<RECT*>(&windowRect));

    // The context is made current after maximising, so OpenGL's default
    // viewport covers the whole screen; none is ever set.
    if (!wglMainStage(mainDc)) endProcess(1);
    setFixedRenderState();
    wglApi.wglSwapIntervalEXT(1);

    setStartupMatrices();
    if (!buildShaderPrograms()) endProcess(1);
    setStartupUniforms();
    uploadMeshes();
    startMusic();

    // Polls and never waits: with the window never validated, an empty queue
    // hands out WM_PAINT, so the frames come from this loop's dispatches.
    MSG message = {};
    for (;;) {
        // NOTE: while a WM_PAINT is always pending, Wine reads the X server's
        // input only every couple of hundred messages, so at a few frames a
        // second Escape and close requests waited minutes. Asking for the
        // queue's status makes Wine take in pending input first; on Windows it
        // only reads the status, so the loop is unchanged there.
        GetQueueStatus(QS_ALLINPUT);
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (message.message == WM_QUIT) break;
    }
    return 0;
}
