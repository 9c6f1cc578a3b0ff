#pragma once
// The Vorbis decoder's heap, with a ceiling and an owner. While a
// CVorbisMemoryBudget is alive on a thread, every allocation the decoder
// makes on that thread counts against it, and one that would go over fails:
// the decoder then gives up with "out of memory" instead of building
// whatever tables a crafted setup header declares. The budget also owns the
// blocks: the decoder leaves some of its scratch blocks behind when a damaged
// header stops it half-way, and what is still allocated when the budget ends
// is freed then. Each block stays a heap block of its own, so the memory
// checkers of a sanitizer build still see every access.
#include <cstddef>

struct VorbisBlock;

class CVorbisMemoryBudget {
public:
    explicit CVorbisMemoryBudget(size_t nLimit);
    // Frees every block still allocated under this budget.
    ~CVorbisMemoryBudget();
    CVorbisMemoryBudget(const CVorbisMemoryBudget&) = delete;
    CVorbisMemoryBudget& operator=(const CVorbisMemoryBudget&) = delete;

    size_t Used() const { return m_nUsed; }
    size_t Peak() const { return m_nPeak; }
    // True when an allocation was refused.
    bool Exceeded() const { return m_bExceeded; }

private:
    friend void* VorbisMalloc(size_t);
    friend void VorbisFree(void*);

    size_t m_nLimit;
    size_t m_nUsed = 0;
    size_t m_nPeak = 0;
    bool m_bExceeded = false;
    VorbisBlock* m_pBlocks = nullptr;  // the live blocks, newest first
    CVorbisMemoryBudget* m_pOuter;
};

// malloc, realloc and free for the decoder (and only for it: blocks carry a
// header of their own).
void* VorbisMalloc(size_t nSize);
void* VorbisRealloc(void* p, size_t nSize);
void VorbisFree(void* p);

// Decoder blocks alive in the process: 0 whenever no decoding is under way.
size_t VorbisLiveBlocks();
