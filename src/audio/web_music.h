// The music in a browser, which gives this build no threads: the stream is
// decoded on the show's own thread, a slice at a time.
#pragma once

// Tops up what is queued for playing to about three seconds; the shell calls
// it once a frame. Does nothing before BASS_ChannelPlay or after BASS_Free.
void musicPump();

// What the page's tests read of the music queue: slices queued since the
// music started, how many times the source had played everything queued
// before the next frame came (it then restarts), and the frames dropped to
// start later in (-1 when no later start was asked for).
struct MusicQueueFigures {
    int slices;
    int ranDry;
    double skippedFrames;
};
void musicQueueFigures(MusicQueueFigures* out);

// Development mode (the page's ?from=N): the music starts this many seconds
// in, the frames before that decoded and dropped when it starts. Called
// before BASS_ChannelPlay.
void musicStartAt(double seconds);
