// The application object is a static object whose construction reads the
// defaults file. Here one is constructed before every ordinary static object
// of the program, whatever order the linker puts the files in; what it read
// must still be there when the program runs.
#include <gtest/gtest.h>

#include <string>

#include "assets/Resources.h"
#include "resource.h"
#include "app/Cordelune.h"
#include "settings/DefaultsFile.h"
#include "settings/SettingsStore.h"

namespace {

struct EarlyApplication {
    EarlyApplication() {
        // Constructed and gone again, as far as the framework pointer goes;
        // the defaults it read stay.
        CCordelune* pApp = new CCordelune();
        bConstructed = g_pEECore == pApp;
        delete pApp;
    }
    bool bConstructed = false;
};

// Before all objects of the default priority, in any file.
__attribute__((init_priority(101))) EarlyApplication g_EarlyApplication;

TEST(StartupOrder, DefaultsReadBeforeTheOtherStaticObjectsAreStillThere) {
    ASSERT_TRUE(g_EarlyApplication.bConstructed);
    ASSERT_EQ(g_pEECore, nullptr);
    // What the embedded defaults file says, read here on its own.
    const ResourceBlob blob = LoadDataResource("CustomData", IDR_DEFAULTS);
    ASSERT_NE(blob.pData, nullptr);
    DefaultsTable table;
    ParseDefaultsFile(blob.pData, blob.nSize, table, nullptr);
    const std::string strSite = WebSiteAddress(table, nullptr);
    ASSERT_FALSE(strSite.empty());
    SaverSettings expected;
    FillDefaultsRecord(table, expected, nullptr);

    EXPECT_EQ(DefaultsWebSiteAddress(), strSite);
    EXPECT_EQ(g_DefaultSettings.MusicVolume, expected.MusicVolume);
    EXPECT_EQ(g_DefaultSettings.Width, expected.Width);
    EXPECT_EQ(g_DefaultSettings.TimeModeAMPM, expected.TimeModeAMPM);
    EXPECT_EQ(g_DefaultSettings.UseDesktopSettings, expected.UseDesktopSettings);
}

}  // namespace
