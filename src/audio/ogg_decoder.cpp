// Ogg Vorbis decoding over stb_vorbis, bounded in memory and safe on any input.
#include "audio/ogg_decoder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
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

// Ogg page header: capture pattern, version, flags, granule position, serial
// number, sequence number, checksum, segment count, then the segment table.
constexpr int pageHeaderBytes = 27;
constexpr uint8_t firstPageFlag = 0x02;
constexpr uint8_t lastPageFlag = 0x04;

uint64_t little(const uint8_t* bytes, int count) {
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
    return value;
}

// Reads count bytes at an offset of the decoder's file or memory, within its
// section.
bool readAt(const OggDecoder* decoder, FILE* file, uint64_t offset, uint8_t* out, size_t count) {
    if (offset + count > decoder->sectionEnd) return false;
    if (decoder->memory) {
        std::memcpy(out, decoder->memory + offset, count);
        return true;
    }
    return offset <= LONG_MAX && std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
           std::fread(out, 1, count, file) == count;
}

struct Page {
    uint8_t flags;
    uint64_t granule;
    uint32_t serial;
    uint64_t bytes;  // header, segment table and body
    uint64_t bodyAt;
};

bool readPage(const OggDecoder* decoder, FILE* file, uint64_t at, Page* page) {
    uint8_t header[pageHeaderBytes + 255];
    if (!readAt(decoder, file, at, header, pageHeaderBytes) ||
        std::memcmp(header, "OggS", 4) != 0 || header[4] != 0)
        return false;
    const int segments = header[26];
    if (!readAt(decoder, file, at + pageHeaderBytes, header + pageHeaderBytes, segments))
        return false;
    uint64_t body = 0;
    for (int i = 0; i < segments; ++i) body += header[pageHeaderBytes + i];
    page->flags = header[5];
    page->granule = little(header + 6, 8);
    page->serial = static_cast<uint32_t>(little(header + 14, 4));
    page->bodyAt = at + pageHeaderBytes + segments;
    page->bytes = pageHeaderBytes + segments + body;
    // Only whole pages count: a page cut by the end of the section is none.
    return at + page->bytes <= decoder->sectionEnd;
}

// What the pages of one Vorbis stream in a file tell: where its last page
// ends, its length, and whether another Vorbis stream follows at once.
struct LinkPages {
    bool endFound = false;  // its last page (end-of-stream flag) is within the section
    uint64_t end = 0;       // the offset just after that page
    uint64_t lastGranule = 0;
    bool nextFound = false;  // the first page of another Vorbis stream starts at end
    uint32_t nextRate = 0;
};

// Walks the pages of the Vorbis stream whose first page is at start.
LinkPages walkLink(const OggDecoder* decoder, uint64_t start) {
    LinkPages link;
    FILE* file = nullptr;
    if (!decoder->memory) {
        file = std::fopen(decoder->path.c_str(), "rb");
        if (!file) return link;
        std::setvbuf(file, nullptr, _IOFBF, fileBufferBytes);
    }
    Page page;
    if (readPage(decoder, file, start, &page)) {
        const uint32_t serial = page.serial;
        uint64_t at = start;
        for (;;) {
            if (page.serial == serial && page.granule != UINT64_MAX)
                link.lastGranule = page.granule;
            at += page.bytes;
            if (page.serial == serial && (page.flags & lastPageFlag)) {
                link.endFound = true;
                link.end = at;
                break;
            }
            if (!readPage(decoder, file, at, &page)) break;
        }
        // The next stream's first packet is its identification header:
        // packet type 1, "vorbis", version, channels, then the rate.
        uint8_t identification[16];
        if (link.endFound && readPage(decoder, file, at, &page) && (page.flags & firstPageFlag) &&
            readAt(decoder, file, page.bodyAt, identification, sizeof identification) &&
            std::memcmp(identification, "\x01vorbis", 7) == 0) {
            link.nextFound = true;
            link.nextRate = static_cast<uint32_t>(little(identification + 12, 4));
        }
    }
    if (file) std::fclose(file);
    return link;
}

// Frames a stream of the given length gives at the decoder's rate.
uint64_t framesAtOutputRate(uint64_t frames, uint32_t rate, uint32_t outputRate) {
    if (rate == outputRate || rate == 0) return frames;
    return (frames * outputRate + rate - 1) / rate;
}

// Opens the Vorbis stream at decoder->linkStart with stb_vorbis and sizes the
// buffers for it; false, holding no stream, when it is not one we play.
bool openLink(OggDecoder* decoder) {
    // stb_vorbis would read on into the next stream's headers and fail
    // there, so it is stopped at the stream's own end.
    const LinkPages pages = walkLink(decoder, decoder->linkStart);
    decoder->linkEnd = pages.endFound ? pages.end : decoder->sectionEnd;
    decoder->nextLink = pages.nextFound;
    uint64_t length = decoder->linkEnd - decoder->linkStart;
    // stb_vorbis addresses a file section with 31-bit offsets.
    if (length > INT_MAX) length = INT_MAX;
    stb_vorbis_alloc alloc{decoder->arena, arenaBytes};
    int openError = 0;
    stb_vorbis* vorbis = nullptr;
    if (decoder->memory) {
        const uint8_t* start = decoder->memory + decoder->linkStart;
        if (!vorbisCommentsFit(start, length)) return false;
        vorbis = stb_vorbis_open_memory(start, static_cast<int>(length), &openError, &alloc);
    } else {
        FILE* file = std::fopen(decoder->path.c_str(), "rb");
        if (!file) return false;
        std::setvbuf(file, nullptr, _IOFBF, fileBufferBytes);
        if (decoder->linkStart > LONG_MAX ||
            std::fseek(file, static_cast<long>(decoder->linkStart), SEEK_SET) != 0 ||
            !vorbisCommentsFitFile(file, length)) {
            std::fclose(file);
            return false;
        }
        // stb_vorbis closes the file itself, on failure as on close.
        vorbis = stb_vorbis_open_file_section(file, 1, &openError, &alloc,
                                              static_cast<unsigned>(length));
    }
    if (!vorbis) return false;
    stb_vorbis_info info = stb_vorbis_get_info(vorbis);
    if (info.sample_rate < minSampleRate || info.sample_rate > maxSampleRate || info.channels < 1) {
        stb_vorbis_close(vorbis);
        return false;
    }
    decoder->vorbis = vorbis;
    decoder->linkRate = info.sample_rate;
    decoder->linkEnded = false;
    decoder->linkIn = decoder->linkOut = 0;
    // A frame may hand out more than max_frame_size samples (the overlap
    // carried from a long block into a short one) but never more than a long
    // block, twice max_frame_size; stb_vorbis would cut one that did not fit.
    const int vorbisFrames = info.max_frame_size > 0 ? info.max_frame_size * 2 : 1;
    const uint32_t outputRate = decoder->sampleRate ? decoder->sampleRate : info.sample_rate;
    // Converted up, one input frame gives at most this many output frames.
    const int perInput = static_cast<int>((outputRate + info.sample_rate - 1) / info.sample_rate);
    const int frames = info.sample_rate == outputRate ? vorbisFrames : vorbisFrames * perInput + 1;
    if (frames > decoder->frameCapacity) {
        delete[] decoder->frame;
        decoder->frame = new int16_t[static_cast<size_t>(frames) * 2];
        decoder->frameCapacity = frames;
    }
    if (info.sample_rate != outputRate && vorbisFrames > decoder->inputCapacity) {
        delete[] decoder->input;
        decoder->input = new int16_t[static_cast<size_t>(vorbisFrames) * 2];
        decoder->inputCapacity = vorbisFrames;
    }
    return true;
}

// Opens the first stream and describes the music; closes everything when it
// is not one we play.
bool finishOpen(OggDecoder* decoder, bool prescan) {
    decoder->arena = new char[arenaBytes];
    if (!openLink(decoder)) {
        oggClose(decoder);
        return false;
    }
    stb_vorbis_info info = stb_vorbis_get_info(decoder->vorbis);
    decoder->sampleRate = info.sample_rate;
    decoder->channels = info.channels;
    decoder->lengthFrames = 0;
    if (prescan) {
        // Reads only the pages in the last 64 KiB of the stream for the final
        // granule position, then goes back to where decoding stands; an
        // unfindable last page leaves the length unknown, which playback
        // does not need.
        decoder->lengthFrames = stb_vorbis_stream_length_in_samples(decoder->vorbis);
        stb_vorbis_get_error(decoder->vorbis);  // clears the error a failed scan leaves
        // A chained file: the last page holds only the last stream's length,
        // so every stream's pages are walked and their lengths added.
        if (decoder->nextLink) {
            uint64_t start = decoder->linkStart, total = 0;
            uint32_t rate = decoder->sampleRate;
            for (;;) {
                const LinkPages pages = walkLink(decoder, start);
                total += framesAtOutputRate(pages.lastGranule, rate, decoder->sampleRate);
                if (!pages.nextFound) break;
                start = pages.end;
                rate = pages.nextRate;
            }
            decoder->lengthFrames = total;
        }
    }
    return true;
}

// Converts count frames of the current stream, held in decoder->input, to the
// output rate into decoder->frame. Output frame k stands at input position
// k * linkRate / sampleRate, between input frames i and i + 1; it is made as
// soon as frame i + 1 is there. Returns the frames made.
int convertRate(OggDecoder* decoder, int count) {
    const uint64_t in = decoder->linkRate, out = decoder->sampleRate;
    const uint64_t first = decoder->linkIn;  // index of input[0] in the stream
    const uint64_t available = first + count;
    int made = 0;
    for (;;) {
        const uint64_t position = decoder->linkOut * in;
        const uint64_t i = position / out;
        if (i + 1 >= available) break;
        const int16_t* a = i < first ? decoder->last : decoder->input + (i - first) * 2;
        const int16_t* b = decoder->input + (i + 1 - first) * 2;
        const double t = static_cast<double>(position % out) / static_cast<double>(out);
        for (int c = 0; c < 2; ++c) {
            const double value = a[c] + (b[c] - a[c]) * t;
            decoder->frame[made * 2 + c] = static_cast<int16_t>(std::lround(value));
        }
        ++made;
        ++decoder->linkOut;
    }
    std::memcpy(decoder->last, decoder->input + (count - 1) * 2, sizeof decoder->last);
    decoder->linkIn = available;
    return made;
}

// After a converted stream's last frame: the output frames that stand past
// its last input frame repeat it.
int convertRateEnd(OggDecoder* decoder) {
    int made = 0;
    while (decoder->linkIn > 0 &&
           decoder->linkOut * decoder->linkRate < decoder->linkIn * decoder->sampleRate) {
        std::memcpy(decoder->frame + made * 2, decoder->last, sizeof decoder->last);
        ++made;
        ++decoder->linkOut;
    }
    return made;
}

// Opens the stream that follows the current one in a chained file.
bool openNextLink(OggDecoder* decoder) {
    if (!decoder->nextLink) return false;
    stb_vorbis_close(decoder->vorbis);
    decoder->vorbis = nullptr;
    decoder->linkStart = decoder->linkEnd;
    return openLink(decoder);
}

// Fills decoder->frame with the next frames to hand out; false after the last
// stream's last frame.
bool decodeNextFrame(OggDecoder* decoder) {
    while (decoder->vorbis) {
        const bool converted = decoder->linkRate != decoder->sampleRate;
        // stb_vorbis reads a file byte by byte and knows no end of a section:
        // once it has read the whole stream it is not asked for more, and a
        // frame that took bytes from past the stream's end is dropped.
        const bool watchEnd = decoder->sectionCut || decoder->linkEnd < decoder->sectionEnd;
        if (watchEnd &&
            decoder->linkStart + stb_vorbis_get_file_offset(decoder->vorbis) >= decoder->linkEnd)
            decoder->linkEnded = true;
        if (!decoder->linkEnded) {
            int16_t* into = converted ? decoder->input : decoder->frame;
            const int capacity = converted ? decoder->inputCapacity : decoder->frameCapacity;
            int got =
                stb_vorbis_get_frame_short_interleaved(decoder->vorbis, 2, into, capacity * 2);
            if (got > 0 && watchEnd &&
                decoder->linkStart + stb_vorbis_get_file_offset(decoder->vorbis) > decoder->linkEnd)
                got = 0;
            if (got > 0) {
                decoder->frameFrames = converted ? convertRate(decoder, got) : got;
                decoder->frameUsed = 0;
                if (decoder->frameFrames > 0) return true;
                continue;
            }
            decoder->linkEnded = true;
        }
        if (converted) {
            decoder->frameFrames = convertRateEnd(decoder);
            decoder->frameUsed = 0;
            if (decoder->frameFrames > 0) return true;
        }
        if (!openNextLink(decoder)) return false;
    }
    return false;
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
    decoder->path = path;
    decoder->sectionEnd = offset + length;
    decoder->sectionCut = length < available;
    decoder->linkStart = offset;
    return finishOpen(decoder, prescan);
}

bool oggOpenMemory(OggDecoder* decoder, const uint8_t* data, size_t size, bool prescan) {
    *decoder = OggDecoder{};
    if (!data || size == 0 || size > INT_MAX) return false;
    decoder->memory = data;
    decoder->sectionEnd = size;
    return finishOpen(decoder, prescan);
}

int oggDecodeStereo(OggDecoder* decoder, int16_t* frames, int count) {
    int written = 0;
    while (written < count) {
        if (decoder->frameUsed == decoder->frameFrames) {
            if (decoder->ended || !decodeNextFrame(decoder)) {
                decoder->ended = true;
                break;
            }
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
    delete[] decoder->input;
    *decoder = OggDecoder{};
}
