// The settings contract against the in-memory store, and the settings path.
#include "common/SettingsStoreContract.h"
#include "config/MemorySettingsStore.h"

namespace {
struct MemoryStore {
    static std::unique_ptr<ISettingsStore> Make() { return std::make_unique<MemorySettingsStore>(); }
    static std::wstring File(int n) { return n ? L"C:\\b\\LocalSettings.ini" : L"C:\\b\\settings.ini"; }
    static void Cleanup() {}
};
}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, SettingsStoreContract, MemoryStore);

TEST(SettingsPath, AppendsTheFixedSuffixWithoutCutting) {
    EXPECT_EQ(SettingsFilePath(L"C:\\Users\\ann\\AppData\\Roaming", kSettingsIni),
              L"C:\\Users\\ann\\AppData\\Roaming\\Quillane\\Vandrel\\settings.ini");
    EXPECT_EQ(SettingsFilePath(L"", kLocalSettingsIni), L"\\Quillane\\Vandrel\\LocalSettings.ini");
    const std::wstring deep = L"D:\\" + std::wstring(300, L'x');
    EXPECT_EQ(SettingsFilePath(deep, kSettingsIni), deep + L"\\Quillane\\Vandrel\\settings.ini");
}
