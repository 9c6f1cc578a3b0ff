#pragma once
// Access to the data resources carried inside the executable.
#include <cstdint>
#include <string>

#include "assets/ResourceBlob.h"

// The MEDIADATA resource with this id, or {null, 0, 0} when there is none.
ResourceBlob LoadMediaResource(uint16_t nId);

// Any data resource of the given type ("CustomData", "MediaData") by id.
ResourceBlob LoadDataResource(const char* pszType, uint16_t nId);

// Copies MEDIADATA resource nId into a new uniquely named file in the system's
// temporary directory (prefix: three letters) and returns its full path. A
// missing resource gives an empty file; when no file can be created the path
// is empty.
std::string WriteResourceToTempFile(uint16_t nId, const char* pszPrefix);

// Layers of the loading screen count as present only above this size; the
// 2 x 2 placeholders are smaller.
constexpr uint32_t kLayerPresentMinSize = 1024;
inline bool IsLayerPresent(uint32_t nSize) { return nSize > kLayerPresentMinSize; }
