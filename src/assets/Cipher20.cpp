#include "assets/Cipher20.h"

#include <cstring>

const uint8_t kRar20InitialSubstitution[256] = {
    215,  19, 149,  35,  73, 197, 192, 205, 249,  28,  16, 119,  48, 221,   2,  42,
    232,   1, 177, 233,  14,  88, 219,  25, 223, 195, 244,  90,  87, 239, 153, 137,
    255, 199, 147,  70,  92,  66, 246,  13, 216,  40,  62,  29, 217, 230,  86,   6,
     71,  24, 171, 196, 101, 113, 218, 123,  93,  91, 163, 178, 202,  67,  44, 235,
    107, 250,  75, 234,  49, 167, 125, 211,  83, 114, 157, 144,  32, 193, 143,  36,
    158, 124, 247, 187,  89, 214, 141,  47, 121, 228,  61, 130, 213, 194, 174, 251,
     97, 110,  54, 229, 115,  57, 152,  94, 105, 243, 212,  55, 209, 245,  63,  11,
    164, 200,  31, 156,  81, 176, 227,  21,  76,  99, 139, 188, 127,  17, 248,  51,
    207, 120, 189, 210,   8, 226,  41,  72, 183, 203, 135, 165, 166,  60,  98,   7,
    122,  38, 155, 170,  69, 172, 252, 238,  39, 134,  59, 128, 236,  27, 240,  80,
    131,   3,  85, 206, 145,  79, 154, 142, 159, 220, 201, 133,  74,  64,  20, 129,
    224, 185, 138, 103, 173, 182,  43,  34, 254,  82, 198, 151, 231, 180,  58,  10,
    118,  26, 102,  12,  50, 132,  22, 191, 136, 111, 162, 179,  45,   4, 148, 108,
    161,  56,  78, 126, 242, 222,  15, 175, 146,  23,  33, 241, 181, 190,  77, 225,
      0,  46, 169, 186,  68,  95, 237,  65,  53, 208, 253, 168,   9,  18, 100,  52,
    116, 184, 160,  96, 109,  37,  30, 106, 140, 104, 150,   5, 204, 117, 112,  84,
};

namespace {

constexpr int kRounds = 32;

uint32_t Rol(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

uint32_t LoadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void StoreLe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

uint32_t Substitute(const Rar20Cipher& cipher, uint32_t x) {
    const uint8_t* s = cipher.aSubst;
    return uint32_t(s[x & 0xFF]) | (uint32_t(s[(x >> 8) & 0xFF]) << 8) |
           (uint32_t(s[(x >> 16) & 0xFF]) << 16) | (uint32_t(s[x >> 24]) << 24);
}

// The round function shared by both directions; only the round order differs.
void Transform(const Rar20Cipher& cipher, uint8_t* pBlock, bool bForward) {
    const uint32_t* k = cipher.aKey;
    uint32_t a = LoadLe32(pBlock) ^ k[0];
    uint32_t b = LoadLe32(pBlock + 4) ^ k[1];
    uint32_t c = LoadLe32(pBlock + 8) ^ k[2];
    uint32_t d = LoadLe32(pBlock + 12) ^ k[3];
    for (int i = 0; i < kRounds; ++i) {
        const int r = bForward ? i : kRounds - 1 - i;
        uint32_t t = (c + Rol(d, 11)) ^ k[r & 3];
        const uint32_t ta = a ^ Substitute(cipher, t);
        t = (d ^ Rol(c, 17)) + k[r & 3];
        const uint32_t tb = b ^ Substitute(cipher, t);
        a = c;
        b = d;
        c = ta;
        d = tb;
    }
    StoreLe32(pBlock, c ^ k[0]);
    StoreLe32(pBlock + 4, d ^ k[1]);
    StoreLe32(pBlock + 8, a ^ k[2]);
    StoreLe32(pBlock + 12, b ^ k[3]);
}

} // namespace

void MixKeys(Rar20Cipher& cipher, const uint8_t* pBlock) {
    const uint32_t* crc = cipher.pCrcTable;
    for (int i = 0; i < kCipherBlockSize; i += 4) {
        cipher.aKey[0] ^= crc[pBlock[i]];
        cipher.aKey[1] ^= crc[pBlock[i + 1]];
        cipher.aKey[2] ^= crc[pBlock[i + 2]];
        cipher.aKey[3] ^= crc[pBlock[i + 3]];
    }
}

void EncipherBlock(Rar20Cipher& cipher, uint8_t* pBlock) {
    Transform(cipher, pBlock, true);
    MixKeys(cipher, pBlock);
}

void DecipherBlock(Rar20Cipher& cipher, uint8_t* pBlock) {
    uint8_t aSaved[kCipherBlockSize];
    std::memcpy(aSaved, pBlock, sizeof(aSaved));
    Transform(cipher, pBlock, false);
    MixKeys(cipher, aSaved);
}

void PrepareCipherKeys(Rar20Cipher& cipher, const char* pszPassword, const uint32_t* pCrcTable) {
    cipher.pCrcTable = pCrcTable;
    cipher.aKey[0] = 0xD3A3B879u;
    cipher.aKey[1] = 0x3F6D12F7u;
    cipher.aKey[2] = 0x7515A235u;
    cipher.aKey[3] = 0xA4E7F123u;

    // Room for 255 password bytes plus the NUL that odd lengths read as a pair.
    uint8_t aPsw[256] = {};
    unsigned nLength = 0;
    if (pszPassword)
        while (nLength < sizeof(aPsw) - 1 && pszPassword[nLength]) {
            aPsw[nLength] = uint8_t(pszPassword[nLength]);
            ++nLength;
        }

    std::memcpy(cipher.aSubst, kRar20InitialSubstitution, sizeof(cipher.aSubst));
    for (unsigned j = 0; j < 256; ++j)
        for (unsigned i = 0; i < nLength; i += 2) {
            unsigned y = pCrcTable[(aPsw[i + 1] + j) & 0xFF] & 0xFF;
            unsigned x = pCrcTable[(aPsw[i] - j) & 0xFF] & 0xFF;
            for (unsigned k = 1; x != y; x = (x + 1) & 0xFF, ++k) {
                const uint8_t t = cipher.aSubst[x];
                cipher.aSubst[x] = cipher.aSubst[(x + i + k) & 0xFF];
                cipher.aSubst[(x + i + k) & 0xFF] = t;
            }
        }
    // The last block of a 255-byte password ends at byte 255, inside aPsw.
    for (unsigned i = 0; i < nLength; i += kCipherBlockSize) EncipherBlock(cipher, aPsw + i);
    SecureZero(aPsw, sizeof(aPsw));
}

void ClearCipher(Rar20Cipher& cipher) {
    SecureZero(cipher.aKey, sizeof(cipher.aKey));
    SecureZero(cipher.aSubst, sizeof(cipher.aSubst));
}

void SecureZero(void* pData, unsigned nSize) {
    volatile uint8_t* p = static_cast<volatile uint8_t*>(pData);
    for (unsigned i = 0; i < nSize; ++i) p[i] = 0;
}
