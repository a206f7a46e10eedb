// The settings contract against the platform's profile functions, on real files.
#include "common/SettingsStoreContract.h"
#include "config/Win32SettingsStore.h"
#include <windows.h>

namespace {

std::wstring TempFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"vandrel-store-" + std::to_wstring(GetCurrentProcessId());
}

struct PlatformStore {
    static std::unique_ptr<ISettingsStore> Make() {
        CreateDirectoryW(TempFolder().c_str(), nullptr);
        return MakeWin32SettingsStore();
    }
    static std::wstring File(int n) { return TempFolder() + (n ? L"\\LocalSettings.ini" : L"\\settings.ini"); }
    static void Cleanup() {
        DeleteFileW(File(0).c_str());
        DeleteFileW(File(1).c_str());
        RemoveDirectoryW(TempFolder().c_str());
    }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Platform, SettingsStoreContract, PlatformStore);

TEST(SettingsFolder, IsCreatedWhenMissingUnderAnyAppData) {
    const std::wstring appData = TempFolder() + L"-appdata";
    CreateDirectoryW(appData.c_str(), nullptr);
    SetEnvironmentVariableW(L"APPDATA", appData.c_str());
    EXPECT_EQ(AppDataFolder(), appData);
    EnsureSettingsFolder(AppDataFolder());
    const std::wstring ini = SettingsFilePath(AppDataFolder(), kSettingsIni);
    Settings().WriteString(ini, L"Device", L"Theme", L"Dark");
    EXPECT_EQ(Settings().GetString(ini, L"Device", L"Theme", L""), L"Dark");
    DeleteFileW(ini.c_str());
    RemoveDirectoryW(SettingsFolder(appData).c_str());
    RemoveDirectoryW((appData + L"\\Quillane").c_str());
    RemoveDirectoryW(appData.c_str());
}

TEST(SettingsFolder, LongAppDataGivesALongPathNeverACutOne) {
    const std::wstring longValue = L"C:\\" + std::wstring(300, L'a');
    SetEnvironmentVariableW(L"APPDATA", longValue.c_str());
    EXPECT_EQ(SettingsFilePath(AppDataFolder(), kSettingsIni), longValue + L"\\Quillane\\Vandrel\\settings.ini");
}
