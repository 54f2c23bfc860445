// Ogg Vorbis decoding over stb_vorbis, bounded in memory and safe on any input.
#include "audio/ogg_decoder.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "audio/vorbis_comment_check.h"

#define STB_VORBIS_HEADER_ONLY
#include <stb_vorbis.h>

namespace {

// stb_vorbis takes every allocation, temporary ones included, from one fixed
// block instead of malloc and alloca. A broken or hostile header then fails
// with "out of memory" instead of asking for gigabytes or overflowing the
// stack. A stereo file at the highest quality needs about 220 KiB; the rest is
// room for many channels and large blocks.
constexpr int arenaBytes = 4 << 20;

// Rates outside this range are not music any output can play; refusing them
// keeps absurd header values away from the rate converters.
constexpr uint32_t minSampleRate = 8000;
constexpr uint32_t maxSampleRate = 192000;

// stdio buffer for the file: stb_vorbis reads a byte at a time.
constexpr size_t fileBufferBytes = 64 << 10;

// Fills the stream description from a freshly opened decoder, or closes it when
// the stream is not one we play.
bool finishOpen(OggDecoder* decoder, stb_vorbis* vorbis, char* arena, uint64_t sectionBytes,
                bool prescan) {
    decoder->vorbis = vorbis;
    decoder->arena = arena;
    decoder->sectionBytes = sectionBytes;
    if (!vorbis) {
        oggClose(decoder);
        return false;
    }
    stb_vorbis_info info = stb_vorbis_get_info(vorbis);
    if (info.sample_rate < minSampleRate || info.sample_rate > maxSampleRate || info.channels < 1) {
        oggClose(decoder);
        return false;
    }
    // A frame may hand out more than max_frame_size samples (the overlap
    // carried from a long block into a short one) but never more than a long
    // block, twice max_frame_size; stb_vorbis would cut one that did not fit.
    decoder->frameCapacity = info.max_frame_size > 0 ? info.max_frame_size * 2 : 1;
    decoder->frame = new int16_t[static_cast<size_t>(decoder->frameCapacity) * 2];
    decoder->sampleRate = info.sample_rate;
    decoder->channels = info.channels;
    decoder->lengthFrames = 0;
    if (prescan) {
        // Reads only the pages in the last 64 KiB of the stream for the final
        // granule position, then goes back to where decoding stands; an
        // unfindable last page leaves the length unknown, which playback
        // does not need.
        decoder->lengthFrames = stb_vorbis_stream_length_in_samples(vorbis);
        stb_vorbis_get_error(vorbis);  // clears the error a failed scan leaves
    }
    return true;
}

}  // namespace

bool oggOpenFile(OggDecoder* decoder, const char* path, uint64_t offset, uint64_t length,
                 bool prescan) {
    *decoder = OggDecoder{};
    if (!path) return false;

    // NOTE: opening a FIFO for reading blocks until a writer appears, and a
    // directory opens fine on Linux and then fails every read; both are
    // refused here, before any open.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || error) return false;
    uint64_t size = std::filesystem::file_size(path, error);
    if (error || offset >= size || offset > LONG_MAX) return false;
    uint64_t available = size - offset;
    if (length == 0 || length > available) length = available;
    // At the end of the file stb_vorbis stops by itself (its read position
    // may then stand past the end), so only an earlier end is watched.
    const uint64_t sectionEnd = length < available ? length : 0;
    // stb_vorbis addresses a file section with 31-bit offsets.
    if (length > INT_MAX) length = INT_MAX;

    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    std::setvbuf(file, nullptr, _IOFBF, fileBufferBytes);
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0 ||
        !vorbisCommentsFitFile(file, length)) {
        std::fclose(file);
        return false;
    }

    char* arena = new char[arenaBytes];
    stb_vorbis_alloc alloc{arena, arenaBytes};
    int openError = 0;
    // stb_vorbis closes the file itself, on failure as on close.
    stb_vorbis* vorbis = stb_vorbis_open_file_section(file, 1, &openError, &alloc,
                                                      static_cast<unsigned>(length));
    return finishOpen(decoder, vorbis, arena, sectionEnd, prescan);
}

bool oggOpenMemory(OggDecoder* decoder, const uint8_t* data, size_t size, bool prescan) {
    *decoder = OggDecoder{};
    if (!data || size == 0 || size > INT_MAX || !vorbisCommentsFit(data, size)) return false;
    char* arena = new char[arenaBytes];
    stb_vorbis_alloc alloc{arena, arenaBytes};
    int openError = 0;
    stb_vorbis* vorbis = stb_vorbis_open_memory(data, static_cast<int>(size), &openError, &alloc);
    return finishOpen(decoder, vorbis, arena, 0, prescan);
}

int oggDecodeStereo(OggDecoder* decoder, int16_t* frames, int count) {
    if (!decoder->vorbis) return 0;
    int written = 0;
    while (written < count) {
        if (decoder->frameUsed == decoder->frameFrames) {
            if (decoder->ended) break;
            int got = stb_vorbis_get_frame_short_interleaved(decoder->vorbis, 2, decoder->frame,
                                                             decoder->frameCapacity * 2);
            // stb_vorbis reads a file byte by byte and knows no end of a
            // section, so a frame that took bytes from past it is dropped and
            // ends the stream.
            if (got <= 0 || (decoder->sectionBytes &&
                             stb_vorbis_get_file_offset(decoder->vorbis) > decoder->sectionBytes)) {
                decoder->ended = true;
                break;
            }
            decoder->frameFrames = got;
            decoder->frameUsed = 0;
        }
        int take = std::min(count - written, decoder->frameFrames - decoder->frameUsed);
        std::memcpy(frames + written * 2, decoder->frame + decoder->frameUsed * 2,
                    static_cast<size_t>(take) * 2 * sizeof(int16_t));
        decoder->frameUsed += take;
        written += take;
    }
    return written;
}

void oggClose(OggDecoder* decoder) {
    if (decoder->vorbis) stb_vorbis_close(decoder->vorbis);
    delete[] decoder->arena;
    delete[] decoder->frame;
    *decoder = OggDecoder{};
}
