// The conversion of a recording after its session: which files, and the exact line.
#include "engine/Mp4Conversion.h"
#include <gtest/gtest.h>

TEST(Mp4Conversion, OnlyMp4RecordingsAreConvertedWithAStreamCopyBesideThem) {
    const struct { const wchar_t* file; bool converted; } cases[] = {
        {L"C:\\Videos\\talk.mp4", true}, {L"C:\\Videos\\talk.MP4", true}, {L"clip.Mp4", true},
        {L"C:\\Videos\\talk.wmv", false}, {L"C:\\Videos.mp4\\talk", false}, {L"C:\\Videos\\mp4", false},
        {L"", false}, {L"C:\\Videos\\talk.mp4.avi", false},
    };
    for (const auto& c : cases) EXPECT_EQ(NeedsMp4Conversion(c.file), c.converted) << std::string(c.file, c.file + wcslen(c.file));
    EXPECT_EQ(Mp4ConversionCommandLine(L"C:\\Users\\O'Brien\\talk_2024-Mar-05_14-07.mp4"),
              L"ffmpeg -nostdin -loglevel error -i \"C:\\Users\\O'Brien\\talk_2024-Mar-05_14-07.mp4\" -map 0 -c copy "
              L"-movflags +faststart -f mp4 -y \"C:\\Users\\O'Brien\\talk_2024-Mar-05_14-07.mp4.saving\"");
}
