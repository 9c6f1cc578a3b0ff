#include "audio/library/VorbisMemory.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

struct VorbisBlock {
    size_t nSize;
    CVorbisMemoryBudget* pOwner;  // null when allocated with no budget
    VorbisBlock* pPrev;
    VorbisBlock* pNext;
};

namespace {

// The header keeps the block aligned for any type.
constexpr size_t kHeader = (sizeof(VorbisBlock) + 15) & ~size_t(15);

thread_local CVorbisMemoryBudget* t_pBudget = nullptr;
std::atomic<size_t> g_nLiveBlocks{0};

VorbisBlock* BlockOf(void* p) { return reinterpret_cast<VorbisBlock*>(static_cast<char*>(p) - kHeader); }

}  // namespace

CVorbisMemoryBudget::CVorbisMemoryBudget(size_t nLimit) : m_nLimit(nLimit), m_pOuter(t_pBudget) {
    t_pBudget = this;
}

CVorbisMemoryBudget::~CVorbisMemoryBudget() {
    t_pBudget = m_pOuter;
    while (m_pBlocks) {
        VorbisBlock* pBlock = m_pBlocks;
        m_pBlocks = pBlock->pNext;
        g_nLiveBlocks.fetch_sub(1);
        std::free(pBlock);
    }
}

void* VorbisMalloc(size_t nSize) {
    CVorbisMemoryBudget* pBudget = t_pBudget;
    if (pBudget && nSize > pBudget->m_nLimit - pBudget->m_nUsed) {
        pBudget->m_bExceeded = true;
        return nullptr;
    }
    if (nSize > size_t(-1) - kHeader) return nullptr;
    VorbisBlock* pBlock = static_cast<VorbisBlock*>(std::malloc(nSize + kHeader));
    if (!pBlock) return nullptr;
    pBlock->nSize = nSize;
    pBlock->pOwner = pBudget;
    pBlock->pPrev = nullptr;
    pBlock->pNext = nullptr;
    if (pBudget) {
        pBlock->pNext = pBudget->m_pBlocks;
        if (pBlock->pNext) pBlock->pNext->pPrev = pBlock;
        pBudget->m_pBlocks = pBlock;
        pBudget->m_nUsed += nSize;
        if (pBudget->m_nUsed > pBudget->m_nPeak) pBudget->m_nPeak = pBudget->m_nUsed;
    }
    g_nLiveBlocks.fetch_add(1);
    return reinterpret_cast<char*>(pBlock) + kHeader;
}

void VorbisFree(void* p) {
    if (!p) return;
    VorbisBlock* pBlock = BlockOf(p);
    if (CVorbisMemoryBudget* pOwner = pBlock->pOwner) {
        if (pBlock->pPrev) pBlock->pPrev->pNext = pBlock->pNext;
        else pOwner->m_pBlocks = pBlock->pNext;
        if (pBlock->pNext) pBlock->pNext->pPrev = pBlock->pPrev;
        pOwner->m_nUsed -= pBlock->nSize;
    }
    g_nLiveBlocks.fetch_sub(1);
    std::free(pBlock);
}

void* VorbisRealloc(void* p, size_t nSize) {
    if (!p) return VorbisMalloc(nSize);
    void* pNew = VorbisMalloc(nSize);
    if (!pNew) return nullptr;  // the old block stays valid, as with realloc
    const size_t nOld = BlockOf(p)->nSize;
    std::memcpy(pNew, p, nOld < nSize ? nOld : nSize);
    VorbisFree(p);
    return pNew;
}

size_t VorbisLiveBlocks() { return g_nLiveBlocks.load(); }
