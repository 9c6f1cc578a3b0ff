#include "audio/library/VorbisMemory.h"

#include <cstdlib>
#include <cstring>

namespace {

// Each block starts with its size; the header keeps the block aligned for
// any type.
constexpr size_t kHeader = 16;

thread_local CVorbisMemoryBudget* t_pBudget = nullptr;

size_t BlockSize(void* p) {
    size_t n;
    std::memcpy(&n, static_cast<char*>(p) - kHeader, sizeof n);
    return n;
}

}  // namespace

CVorbisMemoryBudget::CVorbisMemoryBudget(size_t nLimit) : m_nLimit(nLimit), m_pOuter(t_pBudget) {
    t_pBudget = this;
}

CVorbisMemoryBudget::~CVorbisMemoryBudget() { t_pBudget = m_pOuter; }

void* VorbisMalloc(size_t nSize) {
    CVorbisMemoryBudget* pBudget = t_pBudget;
    if (pBudget && (nSize > pBudget->m_nLimit - pBudget->m_nUsed)) {
        pBudget->m_bExceeded = true;
        return nullptr;
    }
    if (nSize > size_t(-1) - kHeader) return nullptr;
    char* p = static_cast<char*>(std::malloc(nSize + kHeader));
    if (!p) return nullptr;
    std::memcpy(p, &nSize, sizeof nSize);
    if (pBudget) {
        pBudget->m_nUsed += nSize;
        if (pBudget->m_nUsed > pBudget->m_nPeak) pBudget->m_nPeak = pBudget->m_nUsed;
    }
    return p + kHeader;
}

void VorbisFree(void* p) {
    if (!p) return;
    const size_t nSize = BlockSize(p);
    if (CVorbisMemoryBudget* pBudget = t_pBudget)
        pBudget->m_nUsed -= nSize < pBudget->m_nUsed ? nSize : pBudget->m_nUsed;
    std::free(static_cast<char*>(p) - kHeader);
}

void* VorbisRealloc(void* p, size_t nSize) {
    if (!p) return VorbisMalloc(nSize);
    void* pNew = VorbisMalloc(nSize);
    if (!pNew) return nullptr;  // the old block stays valid, as with realloc
    const size_t nOld = BlockSize(p);
    std::memcpy(pNew, p, nOld < nSize ? nOld : nSize);
    VorbisFree(p);
    return pNew;
}
