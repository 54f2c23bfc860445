// Reassembles the comment packet from the pages after the identification page
// exactly as stb_vorbis will read it, and checks that every length in it fits.
#include "audio/vorbis_comment_check.h"

#include <cstring>
#include <vector>

namespace {

// The identification page stb_vorbis accepts: a 27-byte page header, one
// lacing value and the 30-byte packet. The comment packet starts after it.
constexpr uint64_t identificationPageBytes = 27 + 1 + 30;
constexpr int pageHeaderBytes = 27;
constexpr uint8_t continuedPacket = 1;
// Larger comment packets (pictures, mostly) would not fit the decoder's
// memory anyway.
constexpr size_t maxCommentBytes = 1 << 20;

struct ByteReader {
    const uint8_t* data;  // memory, or null for the file
    FILE* file;
    uint64_t size;
    uint64_t pos;
};

bool readBytes(ByteReader* reader, uint8_t* out, size_t count) {
    if (count > reader->size - reader->pos) return false;
    if (reader->data) {
        std::memcpy(out, reader->data + reader->pos, count);
    } else if (count && std::fread(out, 1, count, reader->file) != count) {
        return false;
    }
    reader->pos += count;
    return true;
}

bool skipBytes(ByteReader* reader, uint64_t count) {
    if (count > reader->size - reader->pos) return false;
    if (!reader->data && std::fseek(reader->file, static_cast<long>(count), SEEK_CUR) != 0)
        return false;
    reader->pos += count;
    return true;
}

uint32_t le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Every page of the packet present and well-formed, continued where it goes
// on, so stb_vorbis sees exactly these bytes and no end-of-packet inside them.
bool readCommentPacket(ByteReader* reader, std::vector<uint8_t>* packet) {
    if (!skipBytes(reader, identificationPageBytes)) return false;
    for (bool first = true;; first = false) {
        uint8_t header[pageHeaderBytes];
        if (!readBytes(reader, header, sizeof header)) return false;
        if (std::memcmp(header, "OggS", 4) != 0 || header[4] != 0) return false;
        if (((header[5] & continuedPacket) != 0) == first) return false;
        uint8_t lacing[255];
        // stb_vorbis would take a page without segments as holding the
        // previous page's first one.
        const int segments = header[26];
        if (segments == 0 || !readBytes(reader, lacing, segments)) return false;
        for (int i = 0; i < segments; ++i) {
            size_t at = packet->size();
            if (at + lacing[i] > maxCommentBytes) return false;
            packet->resize(at + lacing[i]);
            if (!readBytes(reader, packet->data() + at, lacing[i])) return false;
            if (lacing[i] < 255) return true;
        }
    }
}

bool commentsFit(const std::vector<uint8_t>& packet) {
    const size_t size = packet.size();
    size_t pos = 7;  // packet type 3 and "vorbis"
    if (size < pos || packet[0] != 3 || std::memcmp(packet.data() + 1, "vorbis", 6) != 0)
        return false;
    // Reads a length and checks that that many bytes follow it.
    auto lengthFits = [&](uint64_t unit, uint32_t* value) {
        if (size - pos < 4) return false;
        *value = le32(packet.data() + pos);
        pos += 4;
        return *value <= (size - pos) / unit;
    };
    uint32_t vendor = 0, count = 0, length = 0;
    if (!lengthFits(1, &vendor)) return false;
    pos += vendor;
    // Each comment takes at least its four length bytes.
    if (!lengthFits(4, &count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        if (!lengthFits(1, &length)) return false;
        pos += length;
    }
    return pos < size;  // the framing byte
}

}  // namespace

bool vorbisCommentsFit(const uint8_t* data, size_t size) {
    ByteReader reader{data, nullptr, size, 0};
    std::vector<uint8_t> packet;
    return readCommentPacket(&reader, &packet) && commentsFit(packet);
}

bool vorbisCommentsFitFile(FILE* file, uint64_t size) {
    long start = std::ftell(file);
    if (start < 0) return false;
    ByteReader reader{nullptr, file, size, 0};
    std::vector<uint8_t> packet;
    bool fits = readCommentPacket(&reader, &packet) && commentsFit(packet);
    return std::fseek(file, start, SEEK_SET) == 0 && fits;
}
