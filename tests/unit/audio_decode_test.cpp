// Ogg Vorbis decoding of tones made at test time, and of every kind of bad
// input: lengths, frequency, channel order, file sections, block sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "audio/ogg_decoder.h"
#include "audio/vorbis_comment_check.h"
#include "audio_signal.h"

namespace {

constexpr double toneHz = 440.0;
constexpr double toneSeconds = 1.5;
// A sine at half of full scale.
constexpr double toneRms = 32767.0 * 0.5 / 1.4142135623730951;

std::vector<uint8_t> readBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

struct Tone {
    const char* name;
    uint32_t rate;
    int channels;
    bool leftOnly;
};

const Tone tones[] = {
    {"tone_mono_44100.ogg", 44100, 1, false},   {"tone_mono_48000.ogg", 48000, 1, false},
    {"tone_stereo_44100.ogg", 44100, 2, false}, {"tone_stereo_48000.ogg", 48000, 2, false},
    {"tone_left_44100.ogg", 44100, 2, true},    {"tone_left_48000.ogg", 48000, 2, true},
};

TEST(AudioDecode, TonesHaveTheirLengthRateFrequencyAndChannels) {
    for (const Tone& tone : tones) {
        SCOPED_TRACE(tone.name);
        OggDecoder decoder;
        ASSERT_TRUE(oggOpenFile(&decoder, samplePath(tone.name).c_str(), 0, 0, true));
        EXPECT_EQ(decoder.sampleRate, tone.rate);
        EXPECT_EQ(decoder.channels, tone.channels);
        const uint64_t expectedFrames = static_cast<uint64_t>(toneSeconds * tone.rate);
        EXPECT_EQ(decoder.lengthFrames, expectedFrames);

        std::vector<int16_t> frames = decodeAll(&decoder, 4096);
        oggClose(&decoder);
        ASSERT_EQ(frames.size() / 2, expectedFrames);

        // The middle second, away from the encoder's ramps at either end.
        size_t first = tone.rate / 4, count = tone.rate;
        EXPECT_NEAR(channelFrequency(frames, 0, first, count, tone.rate), toneHz, 0.5);
        EXPECT_NEAR(channelRms(frames, 0, first, count), toneRms, toneRms * 0.05);
        if (tone.leftOnly) {
            EXPECT_LT(channelRms(frames, 1, first, count), toneRms * 0.01);
        } else {
            // Mono plays on both sides, stereo has the tone in both.
            EXPECT_NEAR(channelFrequency(frames, 1, first, count, tone.rate), toneHz, 0.5);
            EXPECT_NEAR(channelRms(frames, 1, first, count), toneRms, toneRms * 0.05);
        }
        // The tone is there from the first moments of the file.
        EXPECT_GT(channelRms(frames, 0, 0, tone.rate / 100), toneRms * 0.5);
    }
}

TEST(AudioDecode, ShortBlocksLoseNoSamples) {
    OggDecoder decoder;
    ASSERT_TRUE(oggOpenFile(&decoder, samplePath("square_44100.ogg").c_str(), 0, 0, true));
    EXPECT_EQ(decoder.lengthFrames, 2u * 44100u);
    std::vector<int16_t> frames = decodeAll(&decoder, 4096);
    oggClose(&decoder);
    EXPECT_EQ(frames.size() / 2, 2u * 44100u);
}

TEST(AudioDecode, BlockSizeDoesNotChangeTheSamples) {
    std::vector<int16_t> reference;
    for (int block : {4096, 1, 17, 1000, 100000}) {
        SCOPED_TRACE(block);
        OggDecoder decoder;
        ASSERT_TRUE(oggOpenFile(&decoder, samplePath("tone_left_48000.ogg").c_str(), 0, 0, false));
        std::vector<int16_t> frames = decodeAll(&decoder, block);
        oggClose(&decoder);
        if (reference.empty())
            reference = frames;
        else
            EXPECT_EQ(frames, reference);
    }
    EXPECT_FALSE(reference.empty());
}

TEST(AudioDecode, PrescanOnlyAddsTheLength) {
    OggDecoder scanned, plain;
    ASSERT_TRUE(oggOpenFile(&scanned, samplePath("long.ogg").c_str(), 0, 0, true));
    ASSERT_TRUE(oggOpenFile(&plain, samplePath("long.ogg").c_str(), 0, 0, false));
    EXPECT_EQ(plain.lengthFrames, 0u);
    EXPECT_EQ(scanned.lengthFrames, 6u * 44100u);
    // The scan returns to the first audio page: decoding starts at the start.
    std::vector<int16_t> a = decodeAll(&scanned, 4096), b = decodeAll(&plain, 4096);
    EXPECT_EQ(a.size() / 2, scanned.lengthFrames);
    EXPECT_EQ(a, b);
    oggClose(&scanned);
    oggClose(&plain);
}

TEST(AudioDecode, FileSectionsAndMemoryDecodeTheSameStream) {
    const std::string tone = samplePath("long.ogg");
    OggDecoder decoder;
    ASSERT_TRUE(oggOpenFile(&decoder, tone.c_str(), 0, 0, false));
    std::vector<int16_t> whole = decodeAll(&decoder, 4096);
    oggClose(&decoder);

    // The same stream 1000 bytes into another file, with length 0 and with
    // its exact length.
    const uint64_t toneBytes = readBytes(tone).size();
    for (uint64_t length : {uint64_t{0}, toneBytes}) {
        ASSERT_TRUE(oggOpenFile(&decoder, samplePath("offset.ogg").c_str(), 1000, length, true));
        EXPECT_EQ(decoder.lengthFrames, whole.size() / 2);
        EXPECT_EQ(decodeAll(&decoder, 4096), whole);
        oggClose(&decoder);
    }
    // A section that ends early ends the stream early.
    ASSERT_TRUE(
        oggOpenFile(&decoder, samplePath("offset.ogg").c_str(), 1000, toneBytes * 3 / 4, false));
    std::vector<int16_t> part = decodeAll(&decoder, 4096);
    oggClose(&decoder);
    EXPECT_GT(part.size(), 0u);
    EXPECT_LT(part.size(), whole.size());
    EXPECT_TRUE(std::equal(part.begin(), part.end(), whole.begin()));
    // Offsets at or past the end hold nothing.
    EXPECT_FALSE(
        oggOpenFile(&decoder, samplePath("offset.ogg").c_str(), 1000 + toneBytes, 0, false));
    EXPECT_FALSE(oggOpenFile(&decoder, samplePath("offset.ogg").c_str(), 1u << 30, 0, false));

    std::vector<uint8_t> bytes = readBytes(tone);
    ASSERT_TRUE(oggOpenMemory(&decoder, bytes.data(), bytes.size(), true));
    EXPECT_EQ(decoder.lengthFrames, whole.size() / 2);
    EXPECT_EQ(decodeAll(&decoder, 333), whole);
    oggClose(&decoder);
}

// Streams one after another in one file (as concatenation makes them) play
// whole and in order: each at the first stream's rate, whatever its own rate,
// with its own channels; the pre-scan counts them all; memory, file and a
// section that ends after the first stream agree.
TEST(AudioDecode, ChainedStreamsPlayOneAfterAnother) {
    struct Link {
        const char* name;
        bool leftOnly;
    };
    struct Chain {
        const char* name;
        uint32_t rate;
        int channels;
        std::vector<Link> links;
    };
    const Chain chains[] = {
        {"chained_44100.ogg",
         44100,
         2,
         {{"tone_stereo_44100.ogg", false}, {"tone_mono_48000.ogg", false}}},
        {"chained_48000.ogg",
         48000,
         2,
         {{"tone_stereo_48000.ogg", false},
          {"tone_left_44100.ogg", true},
          {"tone_stereo_48000.ogg", false}}},
    };
    for (const Chain& chain : chains) {
        SCOPED_TRACE(chain.name);
        OggDecoder decoder;
        ASSERT_TRUE(oggOpenFile(&decoder, samplePath(chain.name).c_str(), 0, 0, true));
        EXPECT_EQ(decoder.sampleRate, chain.rate);
        EXPECT_EQ(decoder.channels, chain.channels);
        std::vector<int16_t> frames = decodeAll(&decoder, 4096);
        oggClose(&decoder);
        // Every tone lasts 1.5 s, which is a whole number of frames at both rates.
        const size_t linkFrames = static_cast<size_t>(toneSeconds * chain.rate);
        ASSERT_EQ(frames.size() / 2, linkFrames * chain.links.size());

        for (size_t j = 0; j < chain.links.size(); ++j) {
            SCOPED_TRACE(chain.links[j].name);
            // A stream played at its own rate would be off by 48/44.1.
            size_t first = j * linkFrames + chain.rate / 4, count = chain.rate;
            EXPECT_NEAR(channelFrequency(frames, 0, first, count, chain.rate), toneHz, 0.5);
            EXPECT_NEAR(channelRms(frames, 0, first, count), toneRms, toneRms * 0.05);
            if (chain.links[j].leftOnly)
                EXPECT_LT(channelRms(frames, 1, first, count), toneRms * 0.01);
            else
                EXPECT_NEAR(channelRms(frames, 1, first, count), toneRms, toneRms * 0.05);
        }

        // The first stream is exactly that file alone, and a section that
        // ends with it holds nothing more.
        const std::string firstName = samplePath(chain.links[0].name);
        ASSERT_TRUE(oggOpenFile(&decoder, firstName.c_str(), 0, 0, false));
        std::vector<int16_t> alone = decodeAll(&decoder, 4096);
        oggClose(&decoder);
        EXPECT_TRUE(std::equal(alone.begin(), alone.end(), frames.begin()));
        ASSERT_TRUE(oggOpenFile(&decoder, samplePath(chain.name).c_str(), 0,
                                readBytes(firstName).size(), false));
        EXPECT_EQ(decodeAll(&decoder, 4096), alone);
        oggClose(&decoder);

        std::vector<uint8_t> bytes = readBytes(samplePath(chain.name));
        ASSERT_TRUE(oggOpenMemory(&decoder, bytes.data(), bytes.size(), true));
        EXPECT_EQ(decoder.lengthFrames, frames.size() / 2);
        EXPECT_EQ(decodeAll(&decoder, 333), frames);
        oggClose(&decoder);
        ASSERT_TRUE(oggOpenFile(&decoder, samplePath(chain.name).c_str(), 0, 0, true));
        EXPECT_EQ(decoder.lengthFrames, frames.size() / 2);
        oggClose(&decoder);
    }
}

TEST(AudioDecode, UnplayableFilesAreRefused) {
    const char* names[] = {
        "missing.ogg",
        "empty.ogg",
        "random.ogg",
        "opus.ogg",
        "zeros.ogg",
        "directory.ogg",
#ifndef _WIN32
        // Wine has no FIFOs to offer a Windows program.
        "fifo.ogg",
#endif
    };
    for (const char* name : names) {
        SCOPED_TRACE(name);
        OggDecoder decoder;
        for (bool prescan : {false, true})
            EXPECT_FALSE(oggOpenFile(&decoder, samplePath(name).c_str(), 0, 0, prescan));
        EXPECT_EQ(decoder.vorbis, nullptr);
        int16_t frames[64];
        EXPECT_EQ(oggDecodeStereo(&decoder, frames, 32), 0);
        oggClose(&decoder);
    }
    OggDecoder decoder;
    EXPECT_FALSE(oggOpenFile(&decoder, nullptr, 0, 0, false));
    EXPECT_FALSE(oggOpenMemory(&decoder, nullptr, 10, false));

    // Root reads anything, so the unreadable file only counts without root.
    const std::string unreadable = samplePath("unreadable.ogg");
    if (FILE* probe = std::fopen(unreadable.c_str(), "rb")) {
        std::fclose(probe);
    } else {
        EXPECT_FALSE(oggOpenFile(&decoder, unreadable.c_str(), 0, 0, true));
    }
}

TEST(AudioDecode, BadBytesInMemoryAreRefused) {
    for (const char* name : {"random.ogg", "opus.ogg"}) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> bytes = readBytes(samplePath(name));
        ASSERT_FALSE(bytes.empty());
        OggDecoder decoder;
        EXPECT_FALSE(oggOpenMemory(&decoder, bytes.data(), bytes.size(), true));
    }
    // Every prefix of a good file's headers: refused or decodable, never a crash.
    std::vector<uint8_t> tone = readBytes(samplePath("tone_mono_44100.ogg"));
    for (size_t size = 1; size < tone.size(); size += 97) {
        OggDecoder decoder;
        if (oggOpenMemory(&decoder, tone.data(), size, true)) decodeAll(&decoder, 512);
        oggClose(&decoder);
    }
}

void putLe32(std::vector<uint8_t>* bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) (*bytes)[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t getLe32(const std::vector<uint8_t>& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

// stb_vorbis writes past its buffers when the comment header's lengths
// overflow; such files must be refused before it reads them, from memory and
// from a file alike.
TEST(AudioDecode, CommentLengthsMustFitTheirPacket) {
    const std::vector<uint8_t> good = readBytes(samplePath("tone_mono_44100.ogg"));
    ASSERT_GT(good.size(), 200u);
    EXPECT_TRUE(vorbisCommentsFit(good.data(), good.size()));
    // The comment packet follows the 58-byte identification page and the
    // second page's header and lacing values.
    const size_t packet = 58 + 27 + good[58 + 26];
    ASSERT_EQ(good[packet], 3);
    const size_t vendorAt = packet + 7;
    const size_t countAt = vendorAt + 4 + getLe32(good, vendorAt);
    ASSERT_GE(getLe32(good, countAt), 1u);  // the title given to oggenc
    const size_t firstCommentAt = countAt + 4;

    struct Damage {
        const char* what;
        size_t at;
        uint32_t value;
    };
    const Damage damages[] = {
        {"vendor length -1", vendorAt, 0xffffffffu},
        {"vendor length past the packet", vendorAt, 0x7fffffffu},
        {"comment count times 8 wrapping to 8", countAt, 0x20000001u},
        {"comment count past the packet", countAt, 100000u},
        {"comment length -1", firstCommentAt, 0xffffffffu},
        {"comment length past the packet", firstCommentAt, 1000000u},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        std::vector<uint8_t> bytes = good;
        putLe32(&bytes, damage.at, damage.value);
        EXPECT_FALSE(vorbisCommentsFit(bytes.data(), bytes.size()));
        OggDecoder decoder;
        EXPECT_FALSE(oggOpenMemory(&decoder, bytes.data(), bytes.size(), true));

        const std::string path = "comment_damage.ogg";
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
        EXPECT_FALSE(oggOpenFile(&decoder, path.c_str(), 0, 0, true));
        std::remove(path.c_str());
    }
    // A stream cut inside its comment packet.
    EXPECT_FALSE(vorbisCommentsFit(good.data(), firstCommentAt));
}

TEST(AudioDecode, BrokenFilesPlayWhatDecodesThenEnd) {
    OggDecoder decoder;
    ASSERT_TRUE(oggOpenFile(&decoder, samplePath("long.ogg").c_str(), 0, 0, false));
    std::vector<int16_t> whole = decodeAll(&decoder, 4096);
    oggClose(&decoder);

    for (const char* name : {"truncated.ogg", "corrupt_tail.ogg"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(oggOpenFile(&decoder, samplePath(name).c_str(), 0, 0, true));
        std::vector<int16_t> part = decodeAll(&decoder, 4096);
        oggClose(&decoder);
        // About half the file decodes, then the stream ends. Pages carry no
        // checksum test on the way in, so the damaged page itself may give
        // noise; all before it is the intact file's sound.
        EXPECT_GT(part.size(), whole.size() / 4);
        EXPECT_LT(part.size(), whole.size());
        EXPECT_TRUE(std::equal(part.begin(), part.begin() + part.size() * 3 / 4, whole.begin()));
    }
}

}  // namespace
