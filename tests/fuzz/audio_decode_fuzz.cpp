// libFuzzer target over the Ogg Vorbis decode path: any bytes are opened with
// the pre-scan and decoded to the end, as the music thread would.
#include <cstddef>
#include <cstdint>

#include "audio/ogg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    OggDecoder decoder;
    if (oggOpenMemory(&decoder, data, size, true)) {
        // The block size varies with the input so that partial Vorbis frames
        // are handed out in many ways.
        static int16_t frames[2 * 4096];
        const int block = 1 + static_cast<int>(size % 4096);
        while (oggDecodeStereo(&decoder, frames, block) > 0) {
        }
    }
    oggClose(&decoder);
    return 0;
}
