// Which recording paths the path check accepts, and which folder it asks about.
#include "engine/RecordingPath.h"
#include <gtest/gtest.h>
#include <vector>

TEST(RecordingPath, ExtensionAndNameRules) {
    std::vector<std::wstring> asked;
    const auto exists = [&](const std::wstring& folder) {
        asked.push_back(folder);
        return folder != L"C:\\missing\\";
    };
    EXPECT_TRUE(IsAcceptedRecordingPath(L"C:\\v\\Show.mp4", exists));
    EXPECT_TRUE(IsAcceptedRecordingPath(L"C:\\v\\Show.MP4", exists));
    EXPECT_TRUE(IsAcceptedRecordingPath(L"C:\\v\\a.b.Wmv", exists));
    EXPECT_TRUE(IsAcceptedRecordingPath(L"C:\\v\\.mp4", exists));  // no base name is fine
    EXPECT_EQ(asked.back(), L"C:\\v\\");
    EXPECT_TRUE(IsAcceptedRecordingPath(L"clip.mp4", exists));
    EXPECT_EQ(asked.back(), L".\\");  // a bare name lives in the current folder
    EXPECT_FALSE(IsAcceptedRecordingPath(L"C:\\missing\\a.mp4", exists));
    for (const wchar_t* bad : {L"C:\\v\\a.avi", L"C:\\v\\noext", L"C:\\v\\a.", L"C:\\v\\", L"", L"mp4", L"C:\\v.mp4\\x"})
        EXPECT_FALSE(IsAcceptedRecordingPath(bad, exists)) << std::wstring(bad).size();
}
