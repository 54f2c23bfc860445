// The music in a browser, which gives this build no threads: the stream is
// decoded on the show's own thread, a slice at a time.
#pragma once

// Tops up what is queued for playing to about three seconds; the shell calls
// it once a frame. Does nothing before BASS_ChannelPlay or after BASS_Free.
void musicPump();

// Slices queued since the music started, and how many times the source had
// played everything queued before the next frame came (it then restarts).
void musicQueueCounts(int* slices, int* ranDry);

// Development mode (the page's ?from=N): the music starts this many seconds
// in, the frames before that decoded and dropped when it starts. Called
// before BASS_ChannelPlay.
void musicStartAt(double seconds);
