#pragma once
// Temporary copies of resources that must exist as real files (the audio
// library): the copy is held so that nobody can swap it before it is loaded,
// and copies that earlier runs left behind are removed.
#include <cstdint>
#include <string>

// A temporary copy held open: while held, other processes can read the file
// but not write, rename or delete it.
struct HeldTempCopy {
    std::string strPath;       // empty when no copy could be made
    void* hFile = nullptr;     // the holding handle, null when not held
};

// Writes MEDIADATA nId to a new temporary file (WriteResourceToTempFile),
// then holds it with read-only sharing and checks that it still holds the
// resource's bytes, so the file is the resource from then until it is
// released. When it cannot be held or has changed, the file is deleted and
// the path is empty.
HeldTempCopy WriteHeldTempCopy(uint16_t nId, const char* pszPrefix);

// Lets the file go (it stays on disk).
void ReleaseTempCopy(HeldTempCopy& copy);

// Removes from the temporary directory the copies of MEDIADATA nId made
// with this prefix that earlier runs left behind (TempCopyRule.h): only
// files named like our copies that hold exactly the resource's bytes; a
// copy still loaded by a running saver cannot be deleted and stays. Returns
// how many were removed.
int RemoveLeftOverTempCopies(uint16_t nId, const char* pszPrefix);
