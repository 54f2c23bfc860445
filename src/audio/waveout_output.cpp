// Music output on Windows: waveOut through the wave mapper, triple-buffered
// and refilled by a thread of our own that the driver wakes when a buffer is
// done.
#include <windows.h>
// NOTE: mmsystem.h needs the types windows.h declares, so it stays after it,
// in a block of its own that include sorting leaves alone.
#include <mmsystem.h>

#include <atomic>
#include <cstring>

#include "audio/audio_output.h"
#include "audio/music_stream.h"

namespace {

constexpr int bufferCount = 3;
// About 93 ms at 44.1 kHz per buffer: the three together ride out the
// scheduler's 15.6 ms ticks with room to spare.
constexpr int bufferFrames = 4096;
constexpr int bytesPerFrame = 2 * sizeof(int16_t);
// The feeder also looks at its buffers this often should an event go missing.
constexpr DWORD feedTimeoutMs = 100;

struct WaveOutput {
    HWAVEOUT device;
    HANDLE bufferDone;  // set by the driver each time a buffer has played
    HANDLE feeder;
    std::atomic<bool> stopping;
    MusicStream* stream;
    WAVEHDR headers[bufferCount];
    int16_t samples[bufferCount][bufferFrames * 2];
};

WaveOutput output;

// Fills one buffer from the stream, padding with silence when the decoder is
// behind, and queues it. False once the stream is drained: nothing is queued
// and the device falls silent when the queued buffers have played.
bool queueBuffer(int index) {
    int frames = streamPull(output.stream, output.samples[index], bufferFrames);
    if (frames == 0 && streamDrained(output.stream)) return false;
    std::memset(output.samples[index] + frames * 2, 0, (bufferFrames - frames) * bytesPerFrame);
    WAVEHDR* header = &output.headers[index];
    header->dwFlags &= ~WHDR_DONE;
    return waveOutWrite(output.device, header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
}

DWORD WINAPI feedWaveOut(void*) {
    bool queued[bufferCount];
    for (int i = 0; i < bufferCount; ++i) queued[i] = queueBuffer(i);
    for (;;) {
        WaitForSingleObject(output.bufferDone, feedTimeoutMs);
        if (output.stopping.load()) return 0;
        bool anyQueued = false;
        for (int i = 0; i < bufferCount; ++i) {
            if (queued[i] && (output.headers[i].dwFlags & WHDR_DONE)) queued[i] = queueBuffer(i);
            anyQueued = anyQueued || queued[i];
        }
        if (!anyQueued) return 0;
    }
}

}  // namespace

bool audioOutputInit() {
    // The device is opened on the music thread; there is nothing to prepare.
    return true;
}

bool audioOutputOpen(MusicStream* stream, uint32_t deviceRate, uint32_t streamRate) {
    // NOTE: the wave mapper converts any PCM rate to the device's own mix
    // format, so the device is opened at the file's rate and deviceRate is
    // not needed here.
    (void)deviceRate;
    output.stream = stream;
    output.stopping.store(false);
    output.bufferDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!output.bufferDone) return false;

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = streamRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = bytesPerFrame;
    format.nAvgBytesPerSec = streamRate * bytesPerFrame;
    // NOTE: Wine without a sound driver, or Windows without an output device,
    // fails here; the stream then stays silent.
    if (waveOutOpen(&output.device, WAVE_MAPPER, &format,
                    reinterpret_cast<DWORD_PTR>(output.bufferDone), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        CloseHandle(output.bufferDone);
        return false;
    }

    int prepared = 0;
    for (; prepared < bufferCount; ++prepared) {
        WAVEHDR* header = &output.headers[prepared];
        std::memset(header, 0, sizeof(WAVEHDR));
        header->lpData = reinterpret_cast<LPSTR>(output.samples[prepared]);
        header->dwBufferLength = bufferFrames * bytesPerFrame;
        if (waveOutPrepareHeader(output.device, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) break;
    }
    if (prepared == bufferCount)
        output.feeder = CreateThread(nullptr, 0, feedWaveOut, nullptr, 0, nullptr);
    if (prepared < bufferCount || !output.feeder) {
        // A failed open leaves nothing behind: audioOutputClose is only
        // called after a successful one, and a device left open would go
        // on running in the driver until the process ends.
        for (int i = 0; i < prepared; ++i)
            waveOutUnprepareHeader(output.device, &output.headers[i], sizeof(WAVEHDR));
        waveOutClose(output.device);
        CloseHandle(output.bufferDone);
        return false;
    }
    return true;
}

void audioOutputClose() {
    output.stopping.store(true);
    SetEvent(output.bufferDone);
    WaitForSingleObject(output.feeder, INFINITE);
    CloseHandle(output.feeder);
    // Returns every queued buffer, so none is in use when it is unprepared.
    waveOutReset(output.device);
    for (WAVEHDR& header : output.headers)
        waveOutUnprepareHeader(output.device, &header, sizeof(WAVEHDR));
    waveOutClose(output.device);
    CloseHandle(output.bufferDone);
    output.stream = nullptr;
}
