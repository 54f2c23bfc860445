// The frame ring between the music thread and the output: sizes, wrapping,
// and frames arriving whole and in order across two threads.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "audio/sample_ring.h"

namespace {

TEST(SampleRing, CapacityRoundsUpAndLimitsWrites) {
    SampleRing ring;
    ringInit(&ring, 1000);
    EXPECT_EQ(ring.capacity, 1024u);
    EXPECT_EQ(ringReadable(&ring), 0u);
    EXPECT_EQ(ringWritable(&ring), 1024u);

    std::vector<int16_t> in(2 * 2000, 7);
    EXPECT_EQ(ringWrite(&ring, in.data(), 2000), 1024u);
    EXPECT_EQ(ringWritable(&ring), 0u);
    EXPECT_EQ(ringWrite(&ring, in.data(), 5), 0u);

    std::vector<int16_t> out(2 * 2000, 0);
    EXPECT_EQ(ringRead(&ring, out.data(), 2000), 1024u);
    EXPECT_EQ(ringRead(&ring, out.data(), 5), 0u);
    ringFree(&ring);
}

TEST(SampleRing, FramesWrapAroundTheEndInOrder) {
    SampleRing ring;
    ringInit(&ring, 8);
    int16_t next = 0, expected = 0;
    // Uneven write and read sizes walk the positions across the wrap point.
    for (int round = 0; round < 50; ++round) {
        int16_t in[2 * 5];
        uint32_t writable = ringWritable(&ring);
        uint32_t count = writable < 5 ? writable : 5;
        for (uint32_t i = 0; i < count; ++i) {
            in[i * 2] = next;
            in[i * 2 + 1] = static_cast<int16_t>(-next);
            ++next;
        }
        ASSERT_EQ(ringWrite(&ring, in, count), count);
        int16_t out[2 * 3];
        uint32_t got = ringRead(&ring, out, 3);
        for (uint32_t i = 0; i < got; ++i) {
            ASSERT_EQ(out[i * 2], expected);
            ASSERT_EQ(out[i * 2 + 1], -expected);
            ++expected;
        }
    }
    EXPECT_GT(expected, 100);
    ringFree(&ring);
}

TEST(SampleRing, TwoThreadsPassEveryFrameOnce) {
    SampleRing ring;
    ringInit(&ring, 256);
    constexpr int total = 200000;
    std::thread producer([&ring] {
        int16_t block[2 * 37];
        int sent = 0;
        while (sent < total) {
            int count = std::min(37, total - sent);
            for (int i = 0; i < count; ++i) {
                block[i * 2] = static_cast<int16_t>(sent + i);
                block[i * 2 + 1] = static_cast<int16_t>((sent + i) >> 16);
            }
            int written = static_cast<int>(ringWrite(&ring, block, static_cast<uint32_t>(count)));
            // Only what was written counts as sent; the rest goes again.
            sent += written;
            if (written == 0) std::this_thread::yield();
        }
    });
    int received = 0;
    bool inOrder = true;
    int16_t block[2 * 53];
    while (received < total) {
        uint32_t got = ringRead(&ring, block, 53);
        for (uint32_t i = 0; i < got; ++i, ++received) {
            inOrder = inOrder && block[i * 2] == static_cast<int16_t>(received) &&
                      block[i * 2 + 1] == static_cast<int16_t>(received >> 16);
        }
        if (got == 0) std::this_thread::yield();
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(ringReadable(&ring), 0u);
    ringFree(&ring);
}

}  // namespace
