// Binding of the audio library: extraction to a "bas" temporary file,
// lookup by name, and the clean-up that leaves nothing behind.
#include <gtest/gtest.h>

#include <cstring>

#include "assets/Resources.h"
#include "assets/TempCopies.h"
#include "audio/AudioLibrary.h"
#include "test_audio_helpers.h"

using namespace audio_test;

namespace {

const char* const kCalled[] = {
    "BASS_Init", "BASS_ErrorGetCode", "BASS_Start", "BASS_Stop", "BASS_Free", "BASS_GetVolume",
    "BASS_SetVolume", "BASS_Set3DFactors", "BASS_Apply3D", "BASS_SampleLoad", "BASS_SampleGetChannel",
    "BASS_SampleStop", "BASS_SampleFree", "BASS_ChannelPlay", "BASS_ChannelIsActive", "BASS_ChannelSetFlags"};

bool IsCalled(const char* pszName) {
    for (const char* p : kCalled)
        if (!std::strcmp(p, pszName)) return true;
    return false;
}

bool AllNull(const BassEntryPoints& lib) {
    for (FARPROC p : lib.apEntries)
        if (p) return false;
    return !lib.BASS_Init && !lib.BASS_ErrorGetCode && !lib.BASS_Start && !lib.BASS_Stop && !lib.BASS_Free &&
           !lib.BASS_GetVolume && !lib.BASS_SetVolume && !lib.BASS_Set3DFactors && !lib.BASS_Apply3D &&
           !lib.BASS_SampleLoad && !lib.BASS_SampleGetChannel && !lib.BASS_SampleStop && !lib.BASS_SampleFree &&
           !lib.BASS_ChannelPlay && !lib.BASS_ChannelIsActive && !lib.BASS_ChannelSetFlags;
}

class AudioBinding : public ::testing::Test {
protected:
    void SetUp() override {
        // Copies killed runs left in this prefix would go at the first load.
        RemoveLeftOverTempCopies(kAudioLibraryResource, "bas");
        m_Before = TempFiles("bas");
    }
    void TearDown() override {
        UnloadAudioLibrary();
        EXPECT_EQ(TempFiles("bas"), m_Before) << "a \"bas\" temporary file was left behind";
    }
    std::set<std::string> m_Before;
};

TEST_F(AudioBinding, OurLibraryBindsTheCalledEntryPointsAndNothingElse) {
    const std::vector<uint8_t> dll = ReadFileBytes(AudioLibraryPath());
    ASSERT_FALSE(dll.empty());
    const std::string strPath = TempCopy(dll, "bas");
    ASSERT_TRUE(BindAudioLibraryFile(strPath));
    EXPECT_TRUE(IsAudioLibraryLoaded());
    const BassEntryPoints& lib = BoundAudioLibrary();
    for (int i = 0; i < kAudioLibraryEntryCount; ++i) {
        SCOPED_TRACE(kAudioLibraryEntryNames[i]);
        EXPECT_EQ(lib.apEntries[i] != nullptr, IsCalled(kAudioLibraryEntryNames[i]));
    }
    EXPECT_EQ(reinterpret_cast<void*>(lib.BASS_Init),
              reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(strPath.c_str()), "BASS_Init")));
    EXPECT_TRUE(lib.BASS_Init && lib.BASS_ErrorGetCode && lib.BASS_Start && lib.BASS_Stop && lib.BASS_Free &&
                lib.BASS_GetVolume && lib.BASS_SetVolume && lib.BASS_Set3DFactors && lib.BASS_Apply3D &&
                lib.BASS_SampleLoad && lib.BASS_SampleGetChannel && lib.BASS_SampleStop && lib.BASS_SampleFree &&
                lib.BASS_ChannelPlay && lib.BASS_ChannelIsActive && lib.BASS_ChannelSetFlags);
    // A call through the table reaches the library.
    EXPECT_FALSE(lib.BASS_Start());
    EXPECT_EQ(lib.BASS_ErrorGetCode(), bass::kErrorInit);

    // Unloading frees the module, deletes its file and clears the table;
    // a second unload does nothing.
    EXPECT_TRUE(FileExists(strPath));
    UnloadAudioLibrary();
    EXPECT_FALSE(IsAudioLibraryLoaded());
    EXPECT_FALSE(FileExists(strPath));
    EXPECT_EQ(GetModuleHandleA(strPath.c_str()), nullptr);
    EXPECT_TRUE(AllNull(BoundAudioLibrary()));
    UnloadAudioLibrary();
    EXPECT_FALSE(IsAudioLibraryLoaded());
}

TEST_F(AudioBinding, LoadingExtractsTheLibraryResourceToABasFile) {
    // The test program carries the saver's resources, MEDIADATA 458 among
    // them.
    LoadAudioLibrary();
    ASSERT_TRUE(IsAudioLibraryLoaded());
    std::set<std::string> added;
    for (const std::string& name : TempFiles("bas"))
        if (!m_Before.count(name)) added.insert(name);
    ASSERT_EQ(added.size(), 1u);
    const std::string strPath = TempDir() + *added.begin();
    EXPECT_EQ(ReadFileBytes(strPath), ReadFileBytes(AudioLibraryPath()));
    EXPECT_NE(BoundAudioLibrary().BASS_SampleLoad, nullptr);
    UnloadAudioLibrary();
    EXPECT_FALSE(FileExists(strPath));
}

std::vector<uint8_t> LibraryResource() {
    const ResourceBlob blob = LoadMediaResource(kAudioLibraryResource);
    return std::vector<uint8_t>(blob.pData, blob.pData + blob.nSize);
}

TEST_F(AudioBinding, LoadingRemovesTheCopiesEarlierRunsLeftAndNothingElse) {
    const std::vector<uint8_t> library = LibraryResource();
    ASSERT_GT(library.size(), 4096u);
    // Two copies as a killed run leaves them, and three look-alikes.
    const std::string strLeft1 = TempCopy(library, "bas"), strLeft2 = TempCopy(library, "bas");
    std::vector<uint8_t> changed = library;
    changed[4096] ^= 0x5A;
    const std::string strChanged = TempCopy(changed, "bas");
    const std::string strOtherName = TempDir() + "basXXXX.tmp";
    ASSERT_TRUE(WriteFileBytes(strOtherName, library));
    const std::string strOtherPrefix = TempCopy(library, "frf");
    ASSERT_FALSE(strLeft1.empty() || strLeft2.empty() || strChanged.empty() || strOtherPrefix.empty());

    LoadAudioLibrary();
    EXPECT_TRUE(IsAudioLibraryLoaded());
    EXPECT_FALSE(FileExists(strLeft1));
    EXPECT_FALSE(FileExists(strLeft2));
    EXPECT_TRUE(FileExists(strChanged)) << "same size, other bytes";
    EXPECT_TRUE(FileExists(strOtherName)) << "our bytes, a name we never make";
    EXPECT_TRUE(FileExists(strOtherPrefix)) << "our bytes, another prefix";
    // Our own copy is loaded and cannot go while it is.
    EXPECT_EQ(RemoveLeftOverTempCopies(kAudioLibraryResource, "bas"), 0);
    UnloadAudioLibrary();
    for (const std::string& str : {strChanged, strOtherName, strOtherPrefix}) DeleteFileA(str.c_str());
}

TEST_F(AudioBinding, TheCopyIsHeldAgainstChangesUntilItIsLoaded) {
    HeldTempCopy copy = WriteHeldTempCopy(kAudioLibraryResource, "bas");
    ASSERT_FALSE(copy.strPath.empty());
    ASSERT_NE(copy.hFile, nullptr);
    const char* pszPath = copy.strPath.c_str();
    EXPECT_EQ(ReadFileBytes(copy.strPath), LibraryResource());  // others may read it
    // Nobody can write, rename or delete it meanwhile.
    HANDLE hWrite = CreateFileA(pszPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(hWrite, INVALID_HANDLE_VALUE);
    if (hWrite != INVALID_HANDLE_VALUE) CloseHandle(hWrite);
    const std::string strMoved = copy.strPath + ".moved";
    EXPECT_FALSE(MoveFileA(pszPath, strMoved.c_str()));
    EXPECT_FALSE(DeleteFileA(pszPath));
    // The loader still opens it.
    HMODULE hModule = LoadLibraryA(pszPath);
    EXPECT_NE(hModule, nullptr);
    if (hModule) FreeLibrary(hModule);
    ReleaseTempCopy(copy);
    EXPECT_EQ(copy.hFile, nullptr);
    EXPECT_TRUE(DeleteFileA(pszPath));
    DeleteFileA(strMoved.c_str());
}

TEST_F(AudioBinding, AnEmptyFileBindsNothingAndIsRemoved) {
    // What the extraction writes when the resource is missing.
    const std::string strPath = TempCopy({}, "bas");
    ASSERT_TRUE(FileExists(strPath));
    EXPECT_FALSE(BindAudioLibraryFile(strPath));
    EXPECT_FALSE(IsAudioLibraryLoaded());
    EXPECT_TRUE(AllNull(BoundAudioLibrary()));
    EXPECT_FALSE(FileExists(strPath));
}

TEST_F(AudioBinding, AFileThatIsNoLibraryIsRefusedAndRemoved) {
    const std::string strPath = TempCopy({'M', 'Z', 'n', 'o', 't', ' ', 'a', ' ', 'd', 'l', 'l'}, "bas");
    EXPECT_FALSE(BindAudioLibraryFile(strPath));
    EXPECT_FALSE(IsAudioLibraryLoaded());
    EXPECT_TRUE(AllNull(BoundAudioLibrary()));
    EXPECT_FALSE(FileExists(strPath));
    EXPECT_FALSE(BindAudioLibraryFile(""));
}

TEST_F(AudioBinding, ALibraryWithoutTheEntryPointsBindsToNull) {
    // Any other module: this test program itself, which exports nothing.
    const std::string strPath = TempCopy(ReadFileBytes(ProgramDir() + "\\cordelune_wine_tests.exe"), "bas");
    ASSERT_TRUE(BindAudioLibraryFile(strPath));
    EXPECT_TRUE(IsAudioLibraryLoaded());
    EXPECT_TRUE(AllNull(BoundAudioLibrary()));
    UnloadAudioLibrary();
    EXPECT_FALSE(FileExists(strPath));
}

TEST_F(AudioBinding, LoadingIsDoneAtMostOnce) {
    const std::string strPath = TempCopy(ReadFileBytes(AudioLibraryPath()), "bas");
    ASSERT_TRUE(BindAudioLibraryFile(strPath));
    const void* pInit = reinterpret_cast<void*>(BoundAudioLibrary().BASS_Init);
    const std::set<std::string> bound = TempFiles("bas");
    LoadAudioLibrary();
    EXPECT_EQ(TempFiles("bas"), bound);
    EXPECT_EQ(reinterpret_cast<void*>(BoundAudioLibrary().BASS_Init), pInit);
}

}  // namespace
