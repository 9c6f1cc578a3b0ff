#pragma once
// The in-memory view of one embedded resource, shared by the resource lookup
// and the archive reader (which keeps its archive cursor in nReadOffset).
#include <cstdint>

// A read-only view of one embedded resource; never owns or frees its data.
struct ResourceBlob {
    const uint8_t* pData = nullptr;
    uint32_t nSize = 0;
    uint32_t nReadOffset = 0;
};
