#pragma once
// The RAR 2.0 compressor: LZ77 over a 1 MiB window with Huffman-coded
// symbols, repeat and short-distance codes, and the adaptive audio mode,
// chosen block by block. One encoder codes one stream: a single entry, or
// all entries of a solid archive one after the other.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "AudioPredictor.h"
#include "BitWriter.h"
#include "MatchFinder.h"

namespace rarwrite {

enum class AudioChoice { Auto, On, Off };

struct EncodeOptions {
    int nLevel = 3;                  // 1 (fastest) .. 5 (best)
    AudioChoice audio = AudioChoice::Auto;
};

class CRar20Encoder {
public:
    // pStream holds the bytes of every entry of the stream, in order; it must
    // outlive the encoder.
    CRar20Encoder(const uint8_t* pStream, size_t nStreamSize);
    ~CRar20Encoder();

    // Packed data of bytes [nBegin, nEnd) of the stream, which continue the
    // entries coded before. bFiller appends one spare non-escape symbol after
    // the last one, for data that is padded afterwards (enciphered entries):
    // a decoder that looks one symbol past the end then finds no table change.
    std::vector<uint8_t> EncodeEntry(size_t nBegin, size_t nEnd, const EncodeOptions& options, bool bFiller);

private:
    struct RepState {
        uint32_t aHistory[4] = {};
        uint32_t nHistoryPos = 0;
        uint32_t nLastDistance = 0;
        uint32_t nLastLength = 0;
    };
    struct Token {
        uint8_t nKind;    // see TokenKind in the implementation
        uint8_t nLiteral;
        uint16_t nLength;
        uint32_t nDistance;
    };
    struct Prices;
    struct Candidate;
    struct LzBlock;
    struct AudioBlock;
    struct Tables;

    void ConfigureLevel(int nLevel);
    void ParseLz(size_t nBegin, size_t nChunkEnd, size_t nEnd, RepState& rep, LzBlock& block);
    Candidate BestAt(size_t nPos, size_t nEnd, const RepState& rep, const Prices& prices) const;
    void AnalyzeAudio(size_t nBegin, size_t nEnd, int nChannels, AudioBlock& block) const;
    int GuessAudioChannels(size_t nBegin, size_t nEnd, double& dDeltaBits, double& dByteBits) const;
    uint64_t CostOfLz(LzBlock& block, bool& bReuse) const;
    uint64_t CostOfAudio(AudioBlock& block, bool& bReuse) const;
    void EmitEscape(CBitWriter& out) const;
    void EmitLz(CBitWriter& out, const LzBlock& block, bool bReuse);
    void EmitAudio(CBitWriter& out, const AudioBlock& block, bool bReuse);
    void EmitFiller(CBitWriter& out) const;
    void UpdatePrices();

    const uint8_t* m_pStream;
    size_t m_nStreamSize;
    std::unique_ptr<CMatchFinder> m_pFinder;
    int m_nLevel = 0;
    RepState m_rep;
    AudioState m_audio;
    std::unique_ptr<Tables> m_pTables;
    std::unique_ptr<Prices> m_pPrices;
};

} // namespace rarwrite
