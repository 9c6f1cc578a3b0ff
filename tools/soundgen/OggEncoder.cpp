#include "OggEncoder.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>

namespace synth {

namespace {

void AppendPage(const ogg_page& page, std::vector<uint8_t>* pOut) {
    pOut->insert(pOut->end(), page.header, page.header + page.header_len);
    pOut->insert(pOut->end(), page.body, page.body + page.body_len);
}

// Owns the encoder's state for one file.
struct Encoder {
    vorbis_info info;
    vorbis_comment comment;
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    bool bDsp = false, bStream = false;

    Encoder() {
        vorbis_info_init(&info);
        vorbis_comment_init(&comment);
    }
    ~Encoder() {
        if (bStream) ogg_stream_clear(&stream);
        if (bDsp) {
            vorbis_block_clear(&block);
            vorbis_dsp_clear(&dsp);
        }
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    void Drain(std::vector<uint8_t>* pOut) {
        ogg_packet packet;
        ogg_page page;
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) AppendPage(page, pOut);
            }
        }
    }
};

}  // namespace

std::vector<uint8_t> EncodeOggVorbis(const StereoBuffer& sound, const EncodeSettings& settings) {
    std::vector<uint8_t> out;
    Encoder enc;
    if (vorbis_encode_init(&enc.info, 2, long(kRate), -1, settings.nBitrate, -1) != 0) return {};
    if (!settings.szTitle.empty()) vorbis_comment_add_tag(&enc.comment, "TITLE", settings.szTitle.c_str());
    if (vorbis_analysis_init(&enc.dsp, &enc.info) != 0) return {};
    vorbis_block_init(&enc.dsp, &enc.block);
    enc.bDsp = true;
    ogg_stream_init(&enc.stream, settings.nSerial);
    enc.bStream = true;

    ogg_packet header, comment, codebooks;
    vorbis_analysis_headerout(&enc.dsp, &enc.comment, &header, &comment, &codebooks);
    ogg_stream_packetin(&enc.stream, &header);
    ogg_stream_packetin(&enc.stream, &comment);
    ogg_stream_packetin(&enc.stream, &codebooks);
    ogg_page page;
    // The audio starts on a page of its own, as the format asks.
    while (ogg_stream_flush(&enc.stream, &page)) AppendPage(page, &out);

    constexpr size_t kChunk = 4096;
    for (size_t nDone = 0; nDone < sound.Size(); nDone += kChunk) {
        const size_t n = std::min(kChunk, sound.Size() - nDone);
        float** ppBuffer = vorbis_analysis_buffer(&enc.dsp, int(n));
        std::copy_n(sound.left.begin() + long(nDone), n, ppBuffer[0]);
        std::copy_n(sound.right.begin() + long(nDone), n, ppBuffer[1]);
        vorbis_analysis_wrote(&enc.dsp, int(n));
        enc.Drain(&out);
    }
    vorbis_analysis_wrote(&enc.dsp, 0);
    enc.Drain(&out);
    while (ogg_stream_flush(&enc.stream, &page)) AppendPage(page, &out);
    return out;
}

std::vector<uint8_t> EncodeWav(const StereoBuffer& sound) {
    std::vector<uint8_t> out;
    auto put32 = [&out](uint32_t v) { for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i))); };
    auto put16 = [&out](uint16_t v) { out.push_back(uint8_t(v)); out.push_back(uint8_t(v >> 8)); };
    const uint32_t nData = uint32_t(sound.Size() * 4);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(36 + nData);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(16);
    put16(1);
    put16(2);
    put32(uint32_t(kRate));
    put32(uint32_t(kRate) * 4);
    put16(4);
    put16(16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(nData);
    for (size_t i = 0; i < sound.Size(); ++i)
        for (float v : {sound.left[i], sound.right[i]})
            put16(uint16_t(int16_t(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f))));
    return out;
}

}  // namespace synth
