#pragma once
// The RAR 2.0 block cipher: 16-byte blocks, 32 rounds, keys and substitution
// table derived from the password and updated from every cipher block.
#include <cstdint>

struct Rar20Cipher {
    uint32_t aKey[4] = {};
    uint8_t aSubst[256] = {};
    const uint32_t* pCrcTable = nullptr; // CRC-32 table used by the key schedule
};

constexpr int kCipherBlockSize = 16;

// The initial substitution table of the RAR 2.0 cipher.
extern const uint8_t kRar20InitialSubstitution[256];

// Derives key words and substitution table from a NUL-terminated password
// (at most 255 bytes are used). pCrcTable must outlive the cipher's use.
void PrepareCipherKeys(Rar20Cipher& cipher, const char* pszPassword, const uint32_t* pCrcTable);

// Enciphers/deciphers one 16-byte block in place and updates the keys.
void EncipherBlock(Rar20Cipher& cipher, uint8_t* pBlock);
void DecipherBlock(Rar20Cipher& cipher, uint8_t* pBlock);

// Folds a cipher block into the key words.
void MixKeys(Rar20Cipher& cipher, const uint8_t* pBlock);

// Zeroes key material so that nothing derived from a password outlives its use.
void ClearCipher(Rar20Cipher& cipher);

// Zeroes memory in a way the optimizer keeps.
void SecureZero(void* pData, unsigned nSize);
