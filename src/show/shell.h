// What the show needs from the shell it runs in. Each shell (Win32, SDL2,
// headless) defines these at link time.
#pragma once

// Presents the finished frame (a buffer swap on a window).
void present();

// Ends the process at once with the given exit code, releasing nothing.
[[noreturn]] void endProcess(int code);
