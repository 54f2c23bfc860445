/* qorv-start-probe: preloaded into the Linux show (LD_PRELOAD), it notes when
 * BASS_ChannelPlay has returned (the show's first SDL_PollEvent, which comes
 * right after it), when the first music reaches SDL's audio device (the end
 * of the first audio callback that filled any non-zero sample) and when the
 * first frame has been presented (the end of the first SDL_GL_SwapWindow),
 * and prints the two gaps to that frame on stderr when the process exits. */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdatomic.h>
#include <stdio.h>
#include <time.h>

static double playReturned, firstSample, firstPresent; /* seconds, 0: not yet */
static SDL_AudioCallback showCallback;
static atomic_int sampleSeen;

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

static void SDLCALL probeCallback(void* user, Uint8* stream, int bytes) {
    showCallback(user, stream, bytes);
    if (atomic_load(&sampleSeen)) return;
    for (int i = 0; i < bytes; ++i) {
        if (stream[i]) {
            firstSample = now();
            atomic_store(&sampleSeen, 1);
            return;
        }
    }
}

SDL_AudioDeviceID SDL_OpenAudioDevice(const char* device, int capture, const SDL_AudioSpec* desired,
                                      SDL_AudioSpec* obtained, int changes) {
    SDL_AudioDeviceID (*real)(const char*, int, const SDL_AudioSpec*, SDL_AudioSpec*, int) =
        dlsym(RTLD_NEXT, "SDL_OpenAudioDevice");
    SDL_AudioSpec wanted = *desired;
    showCallback = desired->callback;
    wanted.callback = probeCallback;
    return real(device, capture, &wanted, obtained, changes);
}

int SDL_PollEvent(SDL_Event* event) {
    static int (*real)(SDL_Event*);
    if (!real) real = dlsym(RTLD_NEXT, "SDL_PollEvent");
    if (playReturned == 0) playReturned = now();
    return real(event);
}

void SDL_GL_SwapWindow(SDL_Window* window) {
    static void (*real)(SDL_Window*);
    if (!real) real = dlsym(RTLD_NEXT, "SDL_GL_SwapWindow");
    real(window);
    if (firstPresent == 0) firstPresent = now();
}

__attribute__((destructor)) static void report(void) {
    if (playReturned == 0 || firstPresent == 0) {
        fprintf(stderr, "start-probe: the show presented no frame\n");
        return;
    }
    fprintf(stderr, "start-probe: play return to first frame %.2f ms\n",
            (firstPresent - playReturned) * 1e3);
    if (atomic_load(&sampleSeen))
        fprintf(stderr, "start-probe: first sample to first frame %.2f ms\n",
                (firstPresent - firstSample) * 1e3);
    else
        fprintf(stderr, "start-probe: no sample reached the device\n");
}
