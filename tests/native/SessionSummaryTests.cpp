// What the tray says about a running session.
#include "engine/SessionSummary.h"
#include <gtest/gtest.h>

TEST(SessionSummary, StartBalloonTexts) {
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'd') + L"\\Show.mp4";
    const std::vector<std::wstring> manyServers(30, L"Server with a long name");
    struct Case {
        size_t channels;
        bool recording;
        std::vector<std::wstring> servers;
        std::wstring file, balloon;
    } cases[] = {
        {1, false, {L"Twitch"}, L"", L"Going live on Twitch."},
        {2, true, {L"Twitch", L"Beta"}, L"C:\\v\\rec.mp4", L"Going live on Twitch, Beta. Recording to C:\\v\\rec.mp4."},
        {0, true, {}, L"D:\\rec.wmv", L"Recording to D:\\rec.wmv."},
        {1, true, {L"Twitch"}, longPath, L"Going live on Twitch. Recording to Show.mp4."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LiveBalloon(c.servers, c.file), c.balloon);
    }
    const std::wstring cut = LiveBalloon(manyServers, L"C:\\rec.mp4");
    EXPECT_EQ(cut.size(), kBalloonUnits);
    EXPECT_EQ(cut.substr(0, 38), L"Going live on Server with a long name,");
    EXPECT_EQ(cut.back(), L'\u2026');
}
