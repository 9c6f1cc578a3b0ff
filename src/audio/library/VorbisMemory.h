#pragma once
// The Vorbis decoder's heap, with a ceiling. While a CVorbisMemoryBudget is
// alive on a thread, every allocation the decoder makes on that thread counts
// against it, and one that would go over fails: the decoder then gives up
// with "out of memory" instead of building whatever tables a crafted setup
// header declares. Each block stays a heap block of its own, so the memory
// checkers of a sanitizer build still see every access.
#include <cstddef>

class CVorbisMemoryBudget {
public:
    explicit CVorbisMemoryBudget(size_t nLimit);
    ~CVorbisMemoryBudget();
    CVorbisMemoryBudget(const CVorbisMemoryBudget&) = delete;
    CVorbisMemoryBudget& operator=(const CVorbisMemoryBudget&) = delete;

    size_t Used() const { return m_nUsed; }
    size_t Peak() const { return m_nPeak; }
    // True when an allocation was refused.
    bool Exceeded() const { return m_bExceeded; }

private:
    friend void* VorbisMalloc(size_t);
    friend void* VorbisRealloc(void*, size_t);
    friend void VorbisFree(void*);

    size_t m_nLimit;
    size_t m_nUsed = 0;
    size_t m_nPeak = 0;
    bool m_bExceeded = false;
    CVorbisMemoryBudget* m_pOuter;
};

// malloc, realloc and free for the decoder (and only for it: blocks carry a
// header of their own).
void* VorbisMalloc(size_t nSize);
void* VorbisRealloc(void* p, size_t nSize);
void VorbisFree(void* p);
