// Ogg Vorbis encoding with the reference encoder (libvorbisenc), in its
// variable bit-rate mode. The stream's serial number is fixed, and no comment
// carries a date or a host name, so the same mix gives the same bytes.
#include "ogg_write.h"

#include <vorbis/vorbisenc.h>

#include <cstdio>

#include "sample_rate.h"

namespace {

// Any fixed value does: a file of one stream needs no unique serial.
constexpr int kStreamSerial = 0x716f7276;  // "qorv"
constexpr long kBlock = 4096;              // frames handed to the encoder at a time

bool writePage(FILE* file, const ogg_page& page) {
    return fwrite(page.header, 1, page.header_len, file) == size_t(page.header_len) &&
           fwrite(page.body, 1, page.body_len, file) == size_t(page.body_len);
}

}  // namespace

bool writeOggVorbis(const char* path, const float* frames, long count, double quality) {
    FILE* file = fopen(path, "wb");
    if (!file) {
        fprintf(stderr, "qorv-musicgen: cannot write %s\n", path);
        return false;
    }
    vorbis_info info;
    vorbis_info_init(&info);
    bool ok = vorbis_encode_init_vbr(&info, 2, kSampleRate, float(quality)) == 0;
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "qorv");
    vorbis_comment_add_tag(&comment, "COMMENT", "made by qorv-musicgen from music/score.txt");
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    ogg_page page;
    ogg_packet packet;
    if (ok) {
        vorbis_analysis_init(&dsp, &info);
        vorbis_block_init(&dsp, &block);
        ogg_stream_init(&stream, kStreamSerial);
        ogg_packet header, commentHeader, codeHeader;
        vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
        ogg_stream_packetin(&stream, &header);
        ogg_stream_packetin(&stream, &commentHeader);
        ogg_stream_packetin(&stream, &codeHeader);
        // The headers end a page of their own, so audio starts on a fresh one.
        while (ok && ogg_stream_flush(&stream, &page)) ok = writePage(file, page);
        long done = 0;
        bool ended = false;
        while (ok && !ended) {
            const long n = count - done < kBlock ? count - done : kBlock;
            if (n > 0) {
                float** buffer = vorbis_analysis_buffer(&dsp, int(n));
                for (long i = 0; i < n; ++i) {
                    buffer[0][i] = frames[2 * (done + i)];
                    buffer[1][i] = frames[2 * (done + i) + 1];
                }
                done += n;
            }
            // Zero frames tell the encoder the stream has ended.
            vorbis_analysis_wrote(&dsp, int(n));
            while (ok && vorbis_analysis_blockout(&dsp, &block) == 1) {
                vorbis_analysis(&block, nullptr);
                vorbis_bitrate_addblock(&block);
                while (ok && vorbis_bitrate_flushpacket(&dsp, &packet)) {
                    ogg_stream_packetin(&stream, &packet);
                    while (ok && ogg_stream_pageout(&stream, &page)) {
                        ok = writePage(file, page);
                        if (ogg_page_eos(&page)) ended = true;
                    }
                }
            }
            if (n == 0) ended = true;
        }
        while (ok && ogg_stream_flush(&stream, &page)) ok = writePage(file, page);
        ogg_stream_clear(&stream);
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    ok = fclose(file) == 0 && ok;
    if (!ok) fprintf(stderr, "qorv-musicgen: encoding %s failed\n", path);
    return ok;
}
