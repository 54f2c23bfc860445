// qorv-music-decode: decodes an Ogg Vorbis file with the show's own Ogg layer
// and writes its frames as raw interleaved 16-bit stereo, for the whole-track
// test to compare with libvorbis's decoding.
//   qorv-music-decode IN.ogg OUT.raw
#include <cstdio>

#include "audio/ogg_decoder.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: qorv-music-decode IN.ogg OUT.raw\n");
        return 2;
    }
    OggDecoder decoder;
    if (!oggOpenFile(&decoder, argv[1], 0, 0, false)) {
        fprintf(stderr, "qorv-music-decode: cannot open %s\n", argv[1]);
        return 1;
    }
    FILE* out = fopen(argv[2], "wb");
    if (!out) return 1;
    static int16_t frames[2 * 4096];
    bool ok = true;
    for (int n; (n = oggDecodeStereo(&decoder, frames, 4096)) > 0;)
        ok = ok && fwrite(frames, 4, size_t(n), out) == size_t(n);
    oggClose(&decoder);
    return fclose(out) == 0 && ok ? 0 : 1;
}
