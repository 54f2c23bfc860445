// The three music calls, in the order and with the values of the show.
#include "show/music_start.h"

#include "audio/music.h"

void startMusic() {
    // A missing or unplayable file gives a null stream, whose play does
    // nothing: the show runs silently.
    BASS_Init(-1, 44100, 0, nullptr, nullptr);
    musicStream = BASS_StreamCreateFile(0, "c.ogg", 0, 0, BASS_STREAM_PRESCAN);
    BASS_ChannelPlay(musicStream, 0);
}
