// Ogg Vorbis decoding over stb_vorbis: opens a file section or a block of
// memory and hands out interleaved 16-bit stereo frames a block at a time.
#pragma once

#include <cstddef>
#include <cstdint>

struct stb_vorbis;

struct OggDecoder {
    stb_vorbis* vorbis = nullptr;
    char* arena = nullptr;      // every allocation of the decoder comes from here
    uint32_t sampleRate = 0;    // frames per second of the stream
    int channels = 0;           // channels in the file; decoding always gives stereo
    uint64_t lengthFrames = 0;  // from the pre-scan; 0 when not scanned or unknown

    // Bytes of a file section that ends before the file does (0: none); a
    // Vorbis frame that needs bytes past it ends the stream.
    uint64_t sectionBytes = 0;
    // One decoded Vorbis frame, handed out across calls.
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
// end of the stream or of its section, or at the first error that cannot be
// skipped.
int oggDecodeStereo(OggDecoder* decoder, int16_t* frames, int count);

// Releases the decoder and its file; safe on one that never opened.
void oggClose(OggDecoder* decoder);
