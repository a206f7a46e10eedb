// What every settings store must do, run against the in-memory store and the platform's.
#pragma once
#include "config/SettingsStore.h"
#include "config/StreamingServices.h"
#include <gtest/gtest.h>
#include <cwchar>
#include <memory>

// A Traits type gives: static std::unique_ptr<ISettingsStore> Make(); static std::wstring File(int n);
template <class Traits>
class SettingsStoreContract : public ::testing::Test {
protected:
    void SetUp() override { store = Traits::Make(); file = Traits::File(0); }
    void TearDown() override { Traits::Cleanup(); }
    std::unique_ptr<ISettingsStore> store;
    std::wstring file;
};
TYPED_TEST_SUITE_P(SettingsStoreContract);

TYPED_TEST_P(SettingsStoreContract, MissingFileSectionOrKeyGivesTheDefault) {
    auto& s = *this->store;
    EXPECT_EQ(s.GetString(this->file, L"Device", L"Theme", L"mp4"), L"mp4");
    EXPECT_EQ(s.GetInt(this->file, L"Device", L"DemoMode", 7), 7);
    EXPECT_TRUE(s.GetSectionNames(this->file, 1000).empty());
    s.WriteString(this->file, L"Device", L"Theme", L"Dark");
    EXPECT_EQ(s.GetString(this->file, L"Device", L"Other", L""), L"");
    EXPECT_EQ(s.GetString(this->file, L"Paths", L"Theme", L"x"), L"x");
}

TYPED_TEST_P(SettingsStoreContract, NamesMatchWithoutCaseAndValuesKeepTheirs) {
    auto& s = *this->store;
    s.WriteString(this->file, L"Device", L"AudioDevice", L"Microphone (USB Audio)");
    EXPECT_EQ(s.GetString(this->file, L"DEVICE", L"audiodevice", L""), L"Microphone (USB Audio)");
    s.WriteString(this->file, L"device", L"AUDIODEVICE", L"Line In");
    EXPECT_EQ(s.GetString(this->file, L"Device", L"AudioDevice", L""), L"Line In");
    EXPECT_EQ(s.GetSectionNames(this->file, 1000), std::vector<std::wstring>{L"Device"});
}

TYPED_TEST_P(SettingsStoreContract, TextComesBackWholeUpTo32767Units) {
    auto& s = *this->store;
    const std::wstring longValue = L"C:\\" + std::wstring(600, L'a') + L"\u00e9\u00e9\u00e9\u00e9\u00e9bcdefgh.mp4";
    s.WriteString(this->file, L"Paths", L"Video Local Folder", longValue.c_str());
    EXPECT_EQ(s.GetString(this->file, L"Paths", L"Video Local Folder", L""), longValue);
    s.WriteString(this->file, L"Paths", L"Video Local Folder", std::wstring(40000, L'b').c_str());
    EXPECT_EQ(s.GetString(this->file, L"Paths", L"Video Local Folder", L""), std::wstring(32767, L'b'));
}

TYPED_TEST_P(SettingsStoreContract, IntegersTakeLeadingDigits) {
    auto& s = *this->store;
    const std::pair<const wchar_t*, int> cases[] = {
        {L"1", 1}, {L"0", 0}, {L"12abc", 12}, {L"yes", 0}, {L"2", 2}, {L"-5", -5}, {L"1935", 1935}};
    for (auto [text, value] : cases) {
        s.WriteString(this->file, L"Studio", L"Port", text);
        EXPECT_EQ(s.GetInt(this->file, L"Studio", L"Port", 99), value) << text;
    }
    EXPECT_EQ(s.GetInt(this->file, L"Studio", L"Missing", 99), 99);
}

TYPED_TEST_P(SettingsStoreContract, SectionWrittenAnewGoesToTheEndWithoutItsOldKeys) {
    auto& s = *this->store;
    s.WriteString(this->file, L"Device", L"Theme", L"Dark");
    s.WriteString(this->file, L"Device", L"Hand", L"written");
    s.WriteString(this->file, L"Paths", L"Video Local Folder", L"C:\\v.mp4");
    s.WriteString(this->file, L"Studio A", L"Key", L"k");
    s.WriteString(this->file, L"Device", nullptr, nullptr);
    EXPECT_EQ(s.GetSectionNames(this->file, 1000), (std::vector<std::wstring>{L"Paths", L"Studio A"}));
    s.WriteString(this->file, L"Device", L"Theme", L"Light");
    EXPECT_EQ(s.GetSectionNames(this->file, 1000),
              (std::vector<std::wstring>{L"Paths", L"Studio A", L"Device"}));
    EXPECT_EQ(s.GetString(this->file, L"Device", L"Hand", L"gone"), L"gone");
    EXPECT_EQ(s.GetString(this->file, L"Device", L"Theme", L""), L"Light");
}

TYPED_TEST_P(SettingsStoreContract, DeletingAKeyLeavesTheOthers) {
    auto& s = *this->store;
    s.WriteString(this->file, L"Local", L"SaveInLocalPath", L"1");
    s.WriteString(this->file, L"Local", L"SaveInSeperateFile", L"0");
    s.WriteString(this->file, L"Local", L"SaveInLocalPath", nullptr);
    EXPECT_EQ(s.GetInt(this->file, L"Local", L"SaveInLocalPath", 5), 5);
    EXPECT_EQ(s.GetInt(this->file, L"Local", L"SaveInSeperateFile", 5), 0);
}

TYPED_TEST_P(SettingsStoreContract, SectionNameListIsCutAtTheBuffer) {
    auto& s = *this->store;
    // 9 names of 99 units plus their zeros fill 900 units; the 10th no longer fits whole.
    for (int i = 0; i < 12; ++i) {
        std::wstring name(98, L'a' + i);
        name += L'0' + static_cast<wchar_t>(i % 10);
        s.WriteString(this->file, name.c_str(), L"Key", L"k");
    }
    const auto names = s.GetSectionNames(this->file, 1000);
    ASSERT_GE(names.size(), 10u);
    ASSERT_LE(names.size(), 11u);
    EXPECT_EQ(names[0], std::wstring(98, L'a') + L"0");
    EXPECT_EQ(names[9].substr(0, 10), std::wstring(10, L'j'));
    size_t units = 0;
    for (auto& n : names) units += n.size() + 1;
    EXPECT_LE(units, 999u);
}

TYPED_TEST_P(SettingsStoreContract, FilesAreIndependent) {
    auto& s = *this->store;
    const std::wstring other = TypeParam::File(1);
    s.WriteString(this->file, L"Server", L"Channel1", L"Studio");
    EXPECT_EQ(s.GetString(other, L"Server", L"Channel1", L""), L"");
    s.WriteString(other, L"Server", L"Channel1", L"Twitch");
    EXPECT_EQ(s.GetString(this->file, L"Server", L"Channel1", L""), L"Studio");
}

TYPED_TEST_P(SettingsStoreContract, UnicodeTextRoundTrips) {
    auto& s = *this->store;
    const wchar_t* name = L"Mikrofon (\u00dcber \u65e5\u672c)";
    s.WriteString(this->file, L"Device", L"AudioDevice", name);
    EXPECT_EQ(s.GetString(this->file, L"Device", L"AudioDevice", L""), name);
}

TYPED_TEST_P(SettingsStoreContract, LoadServersReadsEveryServerWhole) {
    auto& s = *this->store;
    std::vector<std::wstring> written;
    for (int i = 0; i < 120; ++i) {  // 2520 units of names: far more than one first read holds
        wchar_t name[32];
        swprintf(name, 32, L"Streaming Server %03d", i);
        written.push_back(name);
        s.WriteString(this->file, name, L"Key", L"k");
    }
    ServerList list;
    LoadServers(list, s, this->file);
    std::vector<std::wstring> loaded;
    for (const CStreamingServices& server : list) loaded.push_back(server.Name);
    EXPECT_EQ(loaded, written);
}

REGISTER_TYPED_TEST_SUITE_P(SettingsStoreContract, LoadServersReadsEveryServerWhole, MissingFileSectionOrKeyGivesTheDefault,
                            NamesMatchWithoutCaseAndValuesKeepTheirs, TextComesBackWholeUpTo32767Units,
                            IntegersTakeLeadingDigits, SectionWrittenAnewGoesToTheEndWithoutItsOldKeys,
                            DeletingAKeyLeavesTheOthers, SectionNameListIsCutAtTheBuffer,
                            FilesAreIndependent, UnicodeTextRoundTrips);
