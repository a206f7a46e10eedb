// Server records: lookup, the list's range rules, the loader and the section writers.
#include "config/MemorySettingsStore.h"
#include "config/StreamingServices.h"
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

const std::wstring kIni = L"C:\\appdata\\Quillane\\Vandrel\\settings.ini";

CStreamingServices Server(const wchar_t* name, const wchar_t* url = L"rtmp://h/live",
                          const wchar_t* key = L"k") {
    CStreamingServices s;
    s.Name = name;
    s.RtmpUrl = url;
    s.Key = key;
    return s;
}

class LoadServersTest : public ::testing::Test {
protected:
    void Write(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
        store.WriteString(kIni, section, key, value);
    }
    MemorySettingsStore store;
    ServerList list;
};

}  // namespace

TEST(ServerList, FindIgnoresCaseOfLettersButNothingElse) {
    ServerList list;
    list.AppendServer(Server(L"Studio A"));
    list.AppendServer(Server(L"Twitch"));
    EXPECT_EQ(list.FindServerByName(L"STUDIO A"), 0);
    EXPECT_EQ(list.FindServerByName(L"twitch"), 1);
    EXPECT_EQ(list.FindServerByName(L"Studio A "), -1);
    EXPECT_EQ(list.FindServerByName(L""), -1);
}

TEST(ServerList, FindTakesTheFirstOfDuplicates) {
    ServerList list;
    list.AppendServer(Server(L"Dup", L"rtmp://first"));
    list.AppendServer(Server(L"DUP", L"rtmp://second"));
    EXPECT_EQ(list.FindServerByName(L"dup"), 0);
}

TEST(ServerList, IndicesOutsideTheListAreInvalidArguments) {
    ServerList list;
    EXPECT_THROW(list.ServerAt(0), std::invalid_argument);
    list.AppendServer(Server(L"A"));
    list.AppendServer(Server(L"B"));
    list.AppendServer(Server(L"C"));
    EXPECT_THROW(list.ServerAt(-1), std::invalid_argument);
    EXPECT_THROW(list.ServerAt(3), std::invalid_argument);
    EXPECT_THROW(list.RemoveServerAt(3), std::invalid_argument);
    list.ServerAt(2).InUse = 1;  // changed in place
    list.RemoveServerAt(0);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list.ServerAt(0).Name, L"B");
    EXPECT_EQ(list.ServerAt(1).InUse, 1);
}

TEST_F(LoadServersTest, ReadsServersSkipsKnownNamesAndReturnsThePath) {
    Write(L"Paths", L"Video Local Folder", L"C:\\Videos\\Screen Recording.mp4");
    Write(L"Device", L"Theme", L"Dark");
    Write(L"Studio A", L"Rtmpurl", L"rtmp://a/live");
    Write(L"Studio A", L"Port", L"1935");
    Write(L"Studio A", L"Key", L"abc");
    Write(L"Studio A", L"Persistent", L"1");
    Write(L"studio a ", L"Key", L"other");  // differs by a blank: a server of its own
    EXPECT_EQ(LoadServers(list, store, kIni), L"C:\\Videos\\Screen Recording.mp4");
    ASSERT_EQ(list.size(), 2);
    const CStreamingServices& a = list.ServerAt(0);
    EXPECT_EQ(a.Name, L"Studio A");
    EXPECT_EQ(a.RtmpUrl, L"rtmp://a/live");
    EXPECT_EQ(a.Port, 1935);
    EXPECT_EQ(a.Key, L"abc");
    EXPECT_EQ(a.Persistent, 1);
    EXPECT_EQ(a.InUse, 0);
}

TEST_F(LoadServersTest, ReservedNamesAreCaseSensitiveAndPersistentMeansExactlyOne) {
    Write(L"paths", L"Rtmpurl", L"rtmp://p");
    Write(L"Two", L"Persistent", L"2");
    Write(L"Yes", L"Persistent", L"yes");
    Write(L"NoPort", L"Port", L"");
    EXPECT_EQ(LoadServers(list, store, kIni), L"");
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list.ServerAt(0).Name, L"paths");
    EXPECT_EQ(list.ServerAt(1).Persistent, 0);
    EXPECT_EQ(list.ServerAt(2).Persistent, 0);
    EXPECT_EQ(list.ServerAt(3).Port, 0);
}

TEST_F(LoadServersTest, ReloadingAddsOnlyNewSectionsAndKeepsValuesInMemory) {
    Write(L"Studio", L"Key", L"old");
    LoadServers(list, store, kIni);
    list.ServerAt(0).InUse = 1;
    Write(L"Studio", L"Key", L"edited by hand");
    Write(L"Twitch", L"Key", L"t");
    LoadServers(list, store, kIni);
    LoadServers(list, store, kIni);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list.ServerAt(0).Key, L"old");
    EXPECT_EQ(list.ServerAt(0).InUse, 1);
    EXPECT_EQ(list.ServerAt(1).Name, L"Twitch");
}

TEST_F(LoadServersTest, OverlongNamesAreSkippedAndEveryOtherNameIsReadWhole) {
    Write(std::wstring(300, L'x').c_str(), L"Key", L"k");
    Write(L"Good", L"Key", L"k");
    LoadServers(list, store, kIni);
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.ServerAt(0).Name, L"Good");
    store.WriteString(kIni, std::wstring(300, L'x').c_str(), nullptr, nullptr);
    store.WriteString(kIni, L"Good", nullptr, nullptr);
    list.clear();
    for (int i = 0; i < 12; ++i) Write((std::wstring(98, L'a' + i) + L"!").c_str(), L"Key", L"k");
    LoadServers(list, store, kIni);
    // More than the first 1000 units hold: every name comes whole, in file order.
    ASSERT_EQ(list.size(), 12);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(list.ServerAt(i).Name, std::wstring(98, L'a' + i) + L"!") << i;
}

TEST_F(LoadServersTest, WriteServerSectionRewritesAtTheEndAndDeleteRemoves) {
    Write(L"Studio", L"Hand", L"note");
    Write(L"Paths", L"Video Local Folder", L"C:\\a.mp4");
    WriteServerSection(store, kIni, L"Studio", L"Studio 2", L"rtmp://s/live", L"01935", L"key", 1);
    WriteServerSection(store, kIni, L"", L"New", L"rtmp://n", L"", L"", 0);
    EXPECT_EQ(store.GetSectionNames(kIni, 1000), (std::vector<std::wstring>{L"Paths", L"Studio 2", L"New"}));
    EXPECT_EQ(store.GetString(kIni, L"Studio 2", L"Port", L""), L"01935");
    EXPECT_EQ(store.GetString(kIni, L"Studio 2", L"Persistent", L""), L"1");
    EXPECT_EQ(store.GetString(kIni, L"Studio 2", L"Hand", L"gone"), L"gone");
    EXPECT_EQ(store.GetString(kIni, L"New", L"Persistent", L""), L"0");
    DeleteServerSection(store, kIni, L"studio 2");
    EXPECT_EQ(store.GetSectionNames(kIni, 1000), (std::vector<std::wstring>{L"Paths", L"New"}));
}
