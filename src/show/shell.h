// What the show needs from the shell it runs in. Each shell (Win32, SDL2,
// headless) defines these at link time.
#pragma once

// The show window's title (and, on Windows, class name), and the size it is
// created at before it is made to cover the screen.
constexpr char kShowName[] = "qorv";
constexpr int kCreatedWidth = 800;
constexpr int kCreatedHeight = 600;

// Presents the finished frame (a buffer swap on a window).
void present();

// Ends the process at once with the given exit code. A shell releases what it
// made only where something at exit needs it (the Linux shell does).
[[noreturn]] void endProcess(int code);
