// Ogg Vorbis decoding over stb_vorbis: opens a file section or a block of
// memory and hands out interleaved 16-bit stereo frames a block at a time. A
// chained file (several Vorbis streams one after another) plays whole: each
// further stream is decoded with its own rate and channels and handed out at
// the first stream's rate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct stb_vorbis;

struct OggDecoder {
    stb_vorbis* vorbis = nullptr;  // the stream now decoding
    char* arena = nullptr;         // every allocation of stb_vorbis comes from here
    uint32_t sampleRate = 0;       // frames per second handed out: the first stream's
    int channels = 0;              // channels of the first stream; decoding gives stereo
    uint64_t lengthFrames = 0;     // from the pre-scan; 0 when not scanned or unknown

    // Where the bytes are: a file (path) or memory, and the section of them
    // to decode. sectionEnd is an offset in the file or memory; sectionCut
    // when it comes before the end of the file, which stb_vorbis does not
    // know: a Vorbis frame that needs bytes past it ends the music.
    std::string path;
    const uint8_t* memory = nullptr;
    uint64_t sectionEnd = 0;
    bool sectionCut = false;

    // The stream now decoding: where its first page starts and its last
    // ends, whether another follows, its rate, and whether stb_vorbis has
    // given its last frame.
    uint64_t linkStart = 0;
    uint64_t linkEnd = 0;
    bool nextLink = false;
    uint32_t linkRate = 0;
    bool linkEnded = false;
    // A stream at another rate than sampleRate is decoded into input and
    // converted by linear interpolation: linkIn frames of it read so far,
    // linkOut frames handed out, last its latest frame.
    int16_t* input = nullptr;
    int inputCapacity = 0;  // frames
    uint64_t linkIn = 0;
    uint64_t linkOut = 0;
    int16_t last[2] = {0, 0};

    // Frames ready to hand out (one Vorbis frame, converted), across calls.
    int16_t* frame = nullptr;
    int frameCapacity = 0;  // frames
    int frameFrames = 0;
    int frameUsed = 0;
    bool ended = false;
};

// Opens the Vorbis stream held in bytes [offset, offset + length) of a regular
// file (length 0: up to the end). Anything that is not a regular file (a
// directory, a FIFO, a device) is refused without being opened, so this never
// blocks on a reader-less pipe. With prescan, the last page's position gives
// the length. Returns false, holding nothing, on any failure.
bool oggOpenFile(OggDecoder* decoder, const char* path, uint64_t offset, uint64_t length,
                 bool prescan);

// The same over bytes in memory, which must outlive the decoder.
bool oggOpenMemory(OggDecoder* decoder, const uint8_t* data, size_t size, bool prescan);

// Decodes up to count frames of interleaved stereo (mono is copied to both
// sides, more channels are mixed down). Returns the frames written; 0 at the
// end of the last stream or of the section, or at the first error that cannot
// be skipped.
int oggDecodeStereo(OggDecoder* decoder, int16_t* frames, int count);

// Releases the decoder and its file; safe on one that never opened.
void oggClose(OggDecoder* decoder);
