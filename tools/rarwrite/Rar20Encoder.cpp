#include "Rar20Encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Huffman.h"
#include "TableHeader.h"

#include "assets/Rar20Codes.h"

namespace rarwrite {

namespace {

enum TokenKind : uint8_t { kLiteral = 0, kNormal = 1, kRep0 = 2, kLast = 6, kShort = 7 };

constexpr int kMainSymbols = 298;
constexpr int kDistanceSymbols = 48;
constexpr int kRepeatSymbols = 28;
constexpr int kAudioSymbols = 257;
constexpr int kLzTableSize = kMainSymbols + kDistanceSymbols + kRepeatSymbols;
constexpr uint32_t kSymbolLast = 256;
constexpr uint32_t kSymbolRep0 = 257;
constexpr uint32_t kSymbolShort0 = 261;
constexpr uint32_t kSymbolNewTables = 269;
constexpr uint32_t kSymbolMatch0 = 270;
constexpr uint32_t kSymbolAudioNewTables = 256;

constexpr size_t kChunkSize = 128 * 1024;
constexpr int kPriceScale = 16; // prices are in 1/16 bit

using namespace rar20;

// Slot of a length offset 0..255.
uint32_t LengthSlot(uint32_t v) {
    static const struct Table {
        uint8_t a[256];
        Table() {
            for (int s = 0; s < 28; ++s)
                for (int i = 0; i < (1 << kLengthBits[s]); ++i) a[kLengthBase[s] + i] = uint8_t(s);
        }
    } table;
    return table.a[v];
}

// Slot of a distance offset (distance - 1), below 0x100000.
uint32_t DistanceSlot(uint32_t v) {
    if (v < 4) return v;
    if (v >= 262144) return 36 + ((v - 262144) >> 16);
    uint32_t nBit = 31;
    while (!(v >> nBit)) --nBit;
    return 2 * nBit + ((v >> (nBit - 1)) & 1);
}

uint32_t ShortSlot(uint32_t v) {
    uint32_t j = 7;
    while (kShortBase[j] > v) --j;
    return j;
}

uint32_t NormalBonus(uint32_t d) { return (d >= 0x2000) + (d >= 0x40000); }
uint32_t RepeatBonus(uint32_t d) { return (d >= 0x101) + NormalBonus(d); }

struct LevelSettings {
    int nChainDepth;
    uint32_t nNiceLength;
    int nLazySteps; // 0 greedy, 1 or 2 positions looked ahead
};

LevelSettings SettingsFor(int nLevel) {
    switch (nLevel) {
    case 1: return {4, 32, 0};
    case 2: return {16, 64, 1};
    case 4: return {192, 258, 2};
    case 5: return {1024, 260, 2};
    default: return {48, 128, 1};
    }
}

std::vector<uint8_t> LengthsWithEscape(std::vector<uint32_t> freqs, uint32_t nEscape) {
    // The escape symbol keeps a code so that any later block can change tables.
    if (!freqs[nEscape]) freqs[nEscape] = 1;
    return BuildCodeLengths(freqs, kMaxCodeLength);
}

bool Covers(const std::vector<uint32_t>& freqs, const std::vector<uint8_t>& lengths) {
    for (size_t i = 0; i < freqs.size(); ++i)
        if (freqs[i] && !lengths[i]) return false;
    return true;
}

} // namespace

struct CRar20Encoder::Prices {
    uint32_t aMain[kMainSymbols];
    uint32_t aDistance[kDistanceSymbols];
    uint32_t aRepeat[kRepeatSymbols];
    uint32_t nAverageLiteral;
};

struct CRar20Encoder::Candidate {
    uint8_t nKind = kLiteral;
    uint32_t nLength = 1;
    uint32_t nDistance = 0;
    int32_t nGain = 0;
};

struct CRar20Encoder::LzBlock {
    std::vector<Token> tokens;
    std::vector<uint32_t> mainFreq = std::vector<uint32_t>(kMainSymbols, 0);
    std::vector<uint32_t> distFreq = std::vector<uint32_t>(kDistanceSymbols, 0);
    std::vector<uint32_t> repFreq = std::vector<uint32_t>(kRepeatSymbols, 0);
    uint64_t nExtraBits = 0;
    size_t nEnd = 0;
    RepState repAfter;
    std::vector<uint8_t> lengths; // all 374 new lengths
    std::unique_ptr<CTableHeader> pHeader;
};

struct CRar20Encoder::AudioBlock {
    int nChannels = 1;
    int nFirstChannel = 0;
    std::vector<uint8_t> deltas;
    std::vector<uint32_t> freq[4];
    AudioState after;
    std::vector<uint8_t> lengths; // 257 per channel
    std::unique_ptr<CTableHeader> pHeader;
};

struct CRar20Encoder::Tables {
    bool bHave = false;
    bool bAudio = false;
    int nChannels = 0;
    std::vector<uint8_t> main, dist, rep;
    std::vector<uint16_t> mainCode, distCode, repCode;
    std::vector<uint8_t> audio[4];
    std::vector<uint16_t> audioCode[4];
    uint8_t aDecoderLengths[kAudioSymbols * 4] = {}; // the decoder's previous lengths
};

CRar20Encoder::CRar20Encoder(const uint8_t* pStream, size_t nStreamSize)
    : m_pStream(pStream), m_nStreamSize(nStreamSize), m_pTables(new Tables), m_pPrices(new Prices) {
    for (uint32_t& p : m_pPrices->aMain) p = 8 * kPriceScale;
    for (uint32_t s = 256; s < kSymbolMatch0; ++s) m_pPrices->aMain[s] = 6 * kPriceScale;
    for (uint32_t& p : m_pPrices->aDistance) p = 5 * kPriceScale;
    for (uint32_t& p : m_pPrices->aRepeat) p = 3 * kPriceScale;
    m_pPrices->nAverageLiteral = 8 * kPriceScale;
}

CRar20Encoder::~CRar20Encoder() = default;

void CRar20Encoder::ConfigureLevel(int nLevel) {
    m_nLevel = nLevel < 1 ? 1 : nLevel > 5 ? 5 : nLevel;
    const LevelSettings ls = SettingsFor(m_nLevel);
    if (!m_pFinder) m_pFinder.reset(new CMatchFinder(m_pStream, m_nStreamSize, ls.nChainDepth, ls.nNiceLength));
    m_pFinder->SetEffort(ls.nChainDepth, ls.nNiceLength);
}

CRar20Encoder::Candidate CRar20Encoder::BestAt(size_t nPos, size_t nEnd, const RepState& rep,
                                               const Prices& prices) const {
    Candidate best;
    const uint32_t nRemaining = uint32_t(std::min<size_t>(nEnd - nPos, kMaxMatchLength));
    const int32_t nAverage = int32_t(prices.nAverageLiteral);
    auto consider = [&](uint8_t nKind, uint32_t nLength, uint32_t nDistance, uint32_t nPrice) {
        const int32_t nGain = int32_t(nLength) * nAverage - int32_t(nPrice);
        if (nGain > best.nGain || (nGain == best.nGain && best.nKind != kLiteral && nLength > best.nLength))
            best = {nKind, nLength, nDistance, nGain};
    };

    if (rep.nLastLength >= 2 && rep.nLastDistance && rep.nLastDistance <= nPos && rep.nLastLength <= nRemaining &&
        m_pFinder->MatchLength(nPos, rep.nLastDistance, rep.nLastLength) == rep.nLastLength)
        consider(kLast, rep.nLastLength, rep.nLastDistance, prices.aMain[kSymbolLast]);

    for (uint32_t k = 0; k < 4; ++k) {
        const uint32_t d = rep.aHistory[(rep.nHistoryPos - 1 - k) & 3];
        if (!d || d > nPos) continue;
        const uint32_t nBonus = RepeatBonus(d);
        const uint32_t nLength = m_pFinder->MatchLength(nPos, d, std::min(257 + nBonus, nRemaining));
        if (nLength < 2 + nBonus) continue;
        const uint32_t s = LengthSlot(nLength - 2 - nBonus);
        consider(uint8_t(kRep0 + k), nLength, d,
                 prices.aMain[kSymbolRep0 + k] + prices.aRepeat[s] + kLengthBits[s] * kPriceScale);
    }

    Match aMatches[24];
    const int nFound = m_pFinder->FindMatches(nPos, nEnd, aMatches, 24);
    for (int i = 0; i < nFound; ++i) {
        const uint32_t d = aMatches[i].nDistance;
        const uint32_t nBonus = NormalBonus(d);
        if (aMatches[i].nLength < 3 + nBonus) continue;
        const uint32_t nLength = std::min(aMatches[i].nLength, 258 + nBonus);
        const uint32_t s = LengthSlot(nLength - 3 - nBonus);
        const uint32_t ds = DistanceSlot(d - 1);
        consider(kNormal, nLength, d,
                 prices.aMain[kSymbolMatch0 + s] + kLengthBits[s] * kPriceScale + prices.aDistance[ds] +
                     kDistanceBits[ds] * kPriceScale);
    }

    if (const uint32_t d = m_pFinder->FindShortMatch(nPos, nEnd)) {
        const uint32_t j = ShortSlot(d - 1);
        consider(kShort, 2, d, prices.aMain[kSymbolShort0 + j] + kShortBits[j] * kPriceScale);
    }
    return best;
}

void CRar20Encoder::ParseLz(size_t nBegin, size_t nChunkEnd, size_t nEnd, RepState& rep, LzBlock& block) {
    const LevelSettings ls = SettingsFor(m_nLevel);
    const Prices& prices = *m_pPrices;
    const int32_t nBias = kPriceScale;

    auto pushLiteral = [&](size_t p) {
        const uint8_t c = m_pStream[p];
        block.tokens.push_back({kLiteral, c, 1, 0});
        ++block.mainFreq[c];
    };
    auto pushMatch = [&](const Candidate& m) {
        block.tokens.push_back({m.nKind, 0, uint16_t(m.nLength), m.nDistance});
        switch (m.nKind) {
        case kNormal: {
            const uint32_t nBonus = NormalBonus(m.nDistance);
            const uint32_t s = LengthSlot(m.nLength - 3 - nBonus);
            const uint32_t ds = DistanceSlot(m.nDistance - 1);
            ++block.mainFreq[kSymbolMatch0 + s];
            ++block.distFreq[ds];
            block.nExtraBits += kLengthBits[s] + kDistanceBits[ds];
            break;
        }
        case kLast: ++block.mainFreq[kSymbolLast]; break;
        case kShort: {
            const uint32_t j = ShortSlot(m.nDistance - 1);
            ++block.mainFreq[kSymbolShort0 + j];
            block.nExtraBits += kShortBits[j];
            break;
        }
        default: {
            const uint32_t s = LengthSlot(m.nLength - 2 - RepeatBonus(m.nDistance));
            ++block.mainFreq[kSymbolRep0 + (m.nKind - kRep0)];
            ++block.repFreq[s];
            block.nExtraBits += kLengthBits[s];
            break;
        }
        }
        rep.aHistory[rep.nHistoryPos & 3] = m.nDistance;
        ++rep.nHistoryPos;
        rep.nLastDistance = m.nDistance;
        rep.nLastLength = m.nLength;
    };

    size_t p = nBegin;
    while (p < nChunkEnd) {
        m_pFinder->InsertUpTo(p);
        Candidate best = BestAt(p, nEnd, rep, prices);
        if (best.nKind == kLiteral) {
            pushLiteral(p++);
            continue;
        }
        // Lazy evaluation: a better match one or two bytes on wins over this one.
        while (ls.nLazySteps > 0 && best.nLength < ls.nNiceLength && p + 1 < nEnd) {
            m_pFinder->InsertUpTo(p + 1);
            const Candidate next = BestAt(p + 1, nEnd, rep, prices);
            if (next.nKind != kLiteral && next.nGain > best.nGain + nBias) {
                pushLiteral(p++);
                best = next;
                continue;
            }
            if (ls.nLazySteps > 1 && p + 2 < nEnd) {
                m_pFinder->InsertUpTo(p + 2);
                const Candidate next2 = BestAt(p + 2, nEnd, rep, prices);
                if (next2.nKind != kLiteral && next2.nGain > best.nGain + 2 * nBias) {
                    pushLiteral(p++);
                    pushLiteral(p++);
                    best = next2;
                    continue;
                }
            }
            break;
        }
        pushMatch(best);
        p += best.nLength;
    }
    block.nEnd = p;
    block.repAfter = rep;
}

uint64_t CRar20Encoder::CostOfLz(LzBlock& block, bool& bReuse) const {
    const Tables& t = *m_pTables;
    std::vector<uint8_t> main = LengthsWithEscape(block.mainFreq, kSymbolNewTables);
    std::vector<uint8_t> dist = BuildCodeLengths(block.distFreq);
    std::vector<uint8_t> rep = BuildCodeLengths(block.repFreq);
    block.lengths = main;
    block.lengths.insert(block.lengths.end(), dist.begin(), dist.end());
    block.lengths.insert(block.lengths.end(), rep.begin(), rep.end());
    const bool bSameKind = t.bHave && !t.bAudio;
    block.pHeader.reset(new CTableHeader(false, 0, block.lengths, bSameKind ? t.aDecoderLengths : nullptr));

    uint64_t nNew = block.pHeader->CostBits() + CodedBits(block.mainFreq, main) + CodedBits(block.distFreq, dist) +
                    CodedBits(block.repFreq, rep) + block.nExtraBits;
    if (t.bHave) nNew += t.bAudio ? t.audio[m_audio.nCurChannel][kSymbolAudioNewTables] : t.main[kSymbolNewTables];
    bReuse = false;
    if (bSameKind && Covers(block.mainFreq, t.main) && Covers(block.distFreq, t.dist) && Covers(block.repFreq, t.rep)) {
        const uint64_t nOld = CodedBits(block.mainFreq, t.main) + CodedBits(block.distFreq, t.dist) +
                              CodedBits(block.repFreq, t.rep) + block.nExtraBits;
        if (nOld <= nNew) {
            bReuse = true;
            return nOld;
        }
    }
    return nNew;
}

void CRar20Encoder::AnalyzeAudio(size_t nBegin, size_t nEnd, int nChannels, AudioBlock& block) const {
    block.nChannels = nChannels;
    block.after = m_audio;
    int ch = block.after.nCurChannel < nChannels ? block.after.nCurChannel : 0;
    block.nFirstChannel = ch;
    for (int i = 0; i < nChannels; ++i) block.freq[i].assign(kAudioSymbols, 0);
    block.deltas.resize(nEnd - nBegin);
    AudioState& a = block.after;
    for (size_t i = nBegin; i < nEnd; ++i) {
        const uint32_t d = EncodeAudioByte(a.aChannels[ch], a.nChannelDelta, m_pStream[i]);
        block.deltas[i - nBegin] = uint8_t(d);
        ++block.freq[ch][d];
        if (++ch == nChannels) ch = 0;
    }
    a.nCurChannel = ch;
}

uint64_t CRar20Encoder::CostOfAudio(AudioBlock& block, bool& bReuse) const {
    const Tables& t = *m_pTables;
    const int c = block.nChannels;
    block.lengths.clear();
    uint64_t nCoded = 0;
    for (int i = 0; i < c; ++i) {
        std::vector<uint8_t> l = LengthsWithEscape(block.freq[i], kSymbolAudioNewTables);
        nCoded += CodedBits(block.freq[i], l);
        block.lengths.insert(block.lengths.end(), l.begin(), l.end());
    }
    const bool bSameKind = t.bHave && t.bAudio && t.nChannels == c;
    block.pHeader.reset(new CTableHeader(true, c, block.lengths, bSameKind ? t.aDecoderLengths : nullptr));
    uint64_t nNew = block.pHeader->CostBits() + nCoded;
    if (t.bHave) nNew += t.bAudio ? t.audio[m_audio.nCurChannel][kSymbolAudioNewTables] : t.main[kSymbolNewTables];
    bReuse = false;
    if (bSameKind) {
        bool bCovers = true;
        uint64_t nOld = 0;
        for (int i = 0; i < c && bCovers; ++i) {
            bCovers = Covers(block.freq[i], t.audio[i]);
            nOld += CodedBits(block.freq[i], t.audio[i]);
        }
        if (bCovers && nOld <= nNew) {
            bReuse = true;
            return nOld;
        }
    }
    return nNew;
}

int CRar20Encoder::GuessAudioChannels(size_t nBegin, size_t nEnd, double& dDeltaBits, double& dByteBits) const {
    auto entropy = [](const uint32_t* pHist, double n) {
        double h = 0;
        for (int i = 0; i < 256; ++i)
            if (pHist[i]) h -= pHist[i] * std::log2(pHist[i] / n);
        return n > 0 ? h / n : 8.0;
    };
    // Four slices of the block are a fair sample and a quarter of the work.
    constexpr size_t kSlice = 8192;
    const size_t nStep = (nEnd - nBegin) / 4 > kSlice ? (nEnd - nBegin) / 4 : kSlice;
    uint32_t aBytes[256] = {};
    uint32_t aDelta[4][256] = {};
    double n = 0;
    for (size_t s = nBegin; s < nEnd; s += nStep) {
        const size_t e = std::min(s + kSlice, nEnd);
        for (size_t i = s + 4; i < e; ++i) {
            const uint8_t* p = m_pStream + i;
            ++aBytes[p[0]];
            ++aDelta[0][uint8_t(p[0] - p[-1])];
            ++aDelta[1][uint8_t(p[0] - p[-2])];
            ++aDelta[2][uint8_t(p[0] - p[-3])];
            ++aDelta[3][uint8_t(p[0] - p[-4])];
            n += 1;
        }
    }
    dByteBits = entropy(aBytes, n);
    int nBest = 1;
    dDeltaBits = 1e9;
    for (int c = 1; c <= 4; ++c) {
        const double h = entropy(aDelta[c - 1], n);
        if (h < dDeltaBits) {
            dDeltaBits = h;
            nBest = c;
        }
    }
    return nBest;
}

void CRar20Encoder::EmitEscape(CBitWriter& out) const {
    const Tables& t = *m_pTables;
    if (!t.bHave) return;
    if (t.bAudio) {
        const int ch = m_audio.nCurChannel;
        out.Put(t.audioCode[ch][kSymbolAudioNewTables], t.audio[ch][kSymbolAudioNewTables]);
    } else {
        out.Put(t.mainCode[kSymbolNewTables], t.main[kSymbolNewTables]);
    }
}

void CRar20Encoder::UpdatePrices() {
    const Tables& t = *m_pTables;
    Prices& p = *m_pPrices;
    auto price = [](uint8_t l) { return uint32_t(l ? l : kMaxCodeLength + 1) * kPriceScale; };
    uint32_t nSum = 0, nUsed = 0;
    for (int s = 0; s < kMainSymbols; ++s) p.aMain[s] = price(t.main[s]);
    for (int s = 0; s < 256; ++s)
        if (t.main[s]) {
            nSum += t.main[s];
            ++nUsed;
        }
    for (int s = 0; s < kDistanceSymbols; ++s) p.aDistance[s] = price(t.dist[s]);
    for (int s = 0; s < kRepeatSymbols; ++s) p.aRepeat[s] = price(t.rep[s]);
    p.nAverageLiteral = nUsed ? nSum * kPriceScale / nUsed : 8 * kPriceScale;
}

void CRar20Encoder::EmitLz(CBitWriter& out, const LzBlock& block, bool bReuse) {
    Tables& t = *m_pTables;
    if (!bReuse) {
        EmitEscape(out);
        block.pHeader->Write(out);
        t.bHave = true;
        t.bAudio = false;
        t.main.assign(block.lengths.begin(), block.lengths.begin() + kMainSymbols);
        t.dist.assign(block.lengths.begin() + kMainSymbols, block.lengths.begin() + kMainSymbols + kDistanceSymbols);
        t.rep.assign(block.lengths.begin() + kMainSymbols + kDistanceSymbols, block.lengths.end());
        t.mainCode = BuildCanonicalCodes(t.main);
        t.distCode = BuildCanonicalCodes(t.dist);
        t.repCode = BuildCanonicalCodes(t.rep);
        std::copy(block.lengths.begin(), block.lengths.end(), t.aDecoderLengths);
        UpdatePrices();
    }
    auto sym = [&](uint32_t s) { out.Put(t.mainCode[s], t.main[s]); };
    for (const Token& tk : block.tokens) {
        switch (tk.nKind) {
        case kLiteral: sym(tk.nLiteral); break;
        case kLast: sym(kSymbolLast); break;
        case kShort: {
            const uint32_t j = ShortSlot(tk.nDistance - 1);
            sym(kSymbolShort0 + j);
            out.Put(tk.nDistance - 1 - kShortBase[j], kShortBits[j]);
            break;
        }
        case kNormal: {
            const uint32_t v = tk.nLength - 3 - NormalBonus(tk.nDistance);
            const uint32_t s = LengthSlot(v);
            sym(kSymbolMatch0 + s);
            out.Put(v - kLengthBase[s], kLengthBits[s]);
            const uint32_t dv = tk.nDistance - 1;
            const uint32_t ds = DistanceSlot(dv);
            out.Put(t.distCode[ds], t.dist[ds]);
            out.Put(dv - kDistanceBase[ds], kDistanceBits[ds]);
            break;
        }
        default: {
            const uint32_t v = tk.nLength - 2 - RepeatBonus(tk.nDistance);
            const uint32_t s = LengthSlot(v);
            sym(kSymbolRep0 + (tk.nKind - kRep0));
            out.Put(t.repCode[s], t.rep[s]);
            out.Put(v - kLengthBase[s], kLengthBits[s]);
            break;
        }
        }
    }
    m_rep = block.repAfter;
}

void CRar20Encoder::EmitAudio(CBitWriter& out, const AudioBlock& block, bool bReuse) {
    Tables& t = *m_pTables;
    const int c = block.nChannels;
    if (!bReuse) {
        EmitEscape(out);
        block.pHeader->Write(out);
        t.bHave = true;
        t.bAudio = true;
        t.nChannels = c;
        for (int i = 0; i < c; ++i) {
            t.audio[i].assign(block.lengths.begin() + i * kAudioSymbols, block.lengths.begin() + (i + 1) * kAudioSymbols);
            t.audioCode[i] = BuildCanonicalCodes(t.audio[i]);
        }
        std::copy(block.lengths.begin(), block.lengths.end(), t.aDecoderLengths);
    }
    int ch = block.nFirstChannel;
    for (uint8_t d : block.deltas) {
        out.Put(t.audioCode[ch][d], t.audio[ch][d]);
        if (++ch == c) ch = 0;
    }
    m_audio = block.after;
}

void CRar20Encoder::EmitFiller(CBitWriter& out) const {
    const Tables& t = *m_pTables;
    if (!t.bHave) return;
    const std::vector<uint8_t>& l = t.bAudio ? t.audio[m_audio.nCurChannel] : t.main;
    const std::vector<uint16_t>& code = t.bAudio ? t.audioCode[m_audio.nCurChannel] : t.mainCode;
    const uint32_t nEscape = t.bAudio ? kSymbolAudioNewTables : kSymbolNewTables;
    for (uint32_t s = 0; s < l.size(); ++s)
        if (s != nEscape && l[s]) {
            out.Put(code[s], l[s]);
            return;
        }
}

std::vector<uint8_t> CRar20Encoder::EncodeEntry(size_t nBegin, size_t nEnd, const EncodeOptions& options,
                                                bool bFiller) {
    ConfigureLevel(options.nLevel);
    CBitWriter out;
    size_t p = nBegin;
    while (p < nEnd) {
        size_t nChunkEnd = std::min(p + kChunkSize, nEnd);
        if (nEnd - nChunkEnd < kChunkSize / 4) nChunkEnd = nEnd; // no tiny last block

        std::unique_ptr<AudioBlock> pAudio;
        bool bAudioReuse = false;
        uint64_t nAudioCost = ~uint64_t(0);
        auto tryAudio = [&](int c) {
            std::unique_ptr<AudioBlock> b(new AudioBlock);
            AnalyzeAudio(p, nChunkEnd, c, *b);
            bool bReuse = false;
            const uint64_t n = CostOfAudio(*b, bReuse);
            if (n < nAudioCost) {
                nAudioCost = n;
                bAudioReuse = bReuse;
                pAudio = std::move(b);
            }
        };

        if (options.audio == AudioChoice::On) {
            for (int c = 1; c <= 4; ++c) tryAudio(c);
            EmitAudio(out, *pAudio, bAudioReuse);
            p = nChunkEnd;
            continue;
        }

        // Sampled sound: byte differences at the channel stride are far
        // more predictable than the bytes themselves. Such blocks skip the
        // LZ parse when the predictor codes them well below plain bytes.
        int nGuess = 0;
        double dDeltaBits = 0, dByteBits = 0;
        if (options.audio == AudioChoice::Auto) {
            nGuess = GuessAudioChannels(p, nChunkEnd, dDeltaBits, dByteBits);
            if (dDeltaBits < dByteBits * 0.9) {
                tryAudio(nGuess);
                if (double(nAudioCost) / double(nChunkEnd - p) < dByteBits * 0.85) {
                    EmitAudio(out, *pAudio, bAudioReuse);
                    p = nChunkEnd;
                    continue;
                }
            }
        }
        LzBlock lz;
        RepState rep = m_rep;
        ParseLz(p, nChunkEnd, nEnd, rep, lz);
        bool bLzReuse = false;
        const uint64_t nLzCost = CostOfLz(lz, bLzReuse);
        if (options.audio == AudioChoice::Auto && !pAudio &&
            dDeltaBits < double(nLzCost) / double(lz.nEnd - p) * 0.95)
            tryAudio(nGuess);
        // Compare per byte: the LZ parse may end a few bytes past the chunk.
        if (pAudio && double(nAudioCost) / double(nChunkEnd - p) < double(nLzCost) / double(lz.nEnd - p)) {
            EmitAudio(out, *pAudio, bAudioReuse);
            p = nChunkEnd;
        } else {
            EmitLz(out, lz, bLzReuse);
            p = lz.nEnd;
        }
    }
    if (bFiller) EmitFiller(out);
    out.Flush();
    // Readers that look a whole code length ahead find bits to look at.
    if (out.TotalBits()) out.Put(0, 16);
    return std::move(out.Bytes());
}

} // namespace rarwrite
