// The encoder's report, read line by line: lines below are as the real encoders wrote them
// (the Windows 4.1 x64 build under Wine and Debian's 5.1), with nginx-rtmp on loopback.
#include "engine/EncoderReport.h"
#include <gtest/gtest.h>

namespace {

const char kWinHead[] =
    "ffmpeg started on 2026-12-09 at 22:45:49\r\nReport written to \"Z:/tmp/rep/r1.log\"\r\nCommand line:\r\n"
    "\"Z:\\\\tmp\\\\rep\\\\package\\\\ffmpeg.exe\" -loglevel quiet -re -f tee "
    "\"[f=flv:onfail=ignore]rtmp://127.0.0.1:19550/live/goodkey|[f=flv:onfail=ignore]rtmp://127.0.0.1:19552/live/"
    "refusedkey|[f=flv:onfail=ignore]Z:/tmp/rep/out.mp4\" -y\r\nPress [q] to stop, [?] for help\r\n";
const char kWinRefused[] =
    "[tcp @ 000000000481dd00] Connection to tcp://127.0.0.1:19552 failed: Error number -138 occurred\r\n"
    "[rtmp @ 000000000518cac0] Cannot open connection tcp://127.0.0.1:19552\r\n"
    "[tee @ 0000000000d08480] Slave '[f=flv:onfail=ignore]rtmp://127.0.0.1:19552/live/refusedkey': error opening: "
    "Error number -138 occurred\r\n"
    "[tee @ 0000000000d08480] Slave muxer #1 failed: Error number -138 occurred, continuing with 2/3 slaves.\r\n";
const char kDebianRefused[] =
    "[tcp @ 0x5648099965c0] Connection to tcp://127.0.0.1:19552?tcp_nodelay=0 failed: Connection refused\n"
    "[tee @ 0x56480985cc80] Slave muxer #1 failed: Connection refused, continuing with 2/3 slaves.\n";
const char kProgress[] =
    "frame=    2 fps=0.3 q=0.0 size=N/A time=00:00:00.00 bitrate=N/A speed=   0x    \r"
    "frame=   34 fps=5.3 q=26.0 size=N/A time=00:00:01.25 bitrate=N/A speed=0.787x    \r";
const char kDropped[] =
    "[flv @ 00000000045f6180] Failed to update header with correct duration.\r\n"
    "[tee @ 0000000000cdd1c0] Slave muxer #1 failed: Error number -10054 occurred, continuing with 2/3 slaves.\r\n"
    "[tee @ 0000000000cdd1c0] Slave muxer #0 failed: Error number -10054 occurred, continuing with 1/3 slaves.\r\n";
const char kAllFailed[] =
    "[tee @ 0x5601e45d9c80] Slave '[f=flv:onfail=ignore]rtmp://127.0.0.1:19550/live/goodkey': error opening: "
    "Connection refused\n"
    "[tee @ 0x5601e45d9c80] Slave muxer #0 failed: Connection refused, continuing with 2/3 slaves.\n"
    "[tee @ 0x5601e45d9c80] Slave '[f=flv:onfail=ignore]rtmp://127.0.0.1:19552/live/refusedkey': error opening: "
    "Connection refused\n"
    "[tee @ 0x5601e45d9c80] Slave muxer #1 failed: Connection refused, continuing with 1/3 slaves.\n"
    "[tee @ 0x5601e45d9c80] Slave '[f=flv:onfail=ignore]Z:/tmp/rep/out.mp4': error opening: No such file or directory\n"
    "[tee @ 0x5601e45d9c80] All tee outputs failed.\n";
// ReconnectChannels on: fifokey's server stops and comes back; deadkey's never answers.
const char kFifoDown[] =
    "[fifo @ 00000000045f1280] FIFO queue full\r\n"
    "[fifo @ 00000000045f1280] Error opening rtmp://127.0.0.1:19552/live/refusedkey: Error number -138 occurred\r\n"
    "[fifo @ 00000000045e95c0] Error opening rtmp://127.0.0.1:19550/live/goodkey: Error number -138 occurred\r\n"
    "[fifo @ 00000000045e95c0] Recovery failed: Error number -138 occurred\r\n"
    "[fifo @ 00000000045f1280] Error opening rtmp://127.0.0.1:19552/live/refusedkey: Error number -138 occurred\r\n"
    "[fifo @ 00000000045f1280] Recovery failed: Error number -138 occurred\r\n"
    "[fifo @ 00000000045f1280] Recovery failed: Error number -138 occurred\r\n";
const char kFifoBack[] =
    "[fifo @ 00000000045e95c0] FIFO queue flushed\r\n[fifo @ 00000000045e95c0] Recovery successful\r\n";

std::vector<ReportTarget> Targets() {
    return {{L"Alpha", L"rtmp://127.0.0.1:19550/live/goodkey", L"goodkey", false},
            {L"Dead", L"rtmp://127.0.0.1:19552/live/refusedkey", L"refusedkey", false},
            {L"", L"Z:/tmp/rep/out.mp4", L"", true}};
}

using S = TargetState;

std::vector<S> States(const CEncoderReport& r) {
    std::vector<S> out;
    for (const TargetStatus& s : r.Statuses()) out.push_back(s.state);
    return out;
}

}  // namespace

TEST(EncoderReport, StatesFromTheRealEncodersLines) {
    struct Case {
        const char* what;
        bool retrying;
        std::vector<std::string> reads;  // as they come from the file, in pieces
        std::vector<S> states;
        std::vector<std::wstring> texts;
        std::wstring ended;
    } cases[] = {
        {"nothing yet", false, {}, {S::Unknown, S::Unknown, S::Unknown},
         {L"Unknown: waiting for the encoder", L"Unknown: waiting for the encoder"}, L""},
        {"refused before progress", false, {kWinHead, kWinRefused}, {S::Unknown, S::Down, S::Unknown},
         {L"Unknown: waiting for the encoder", L"Down: connection refused"}, L""},
        {"Windows spelling, progress split across reads", false,
         {kWinHead, kWinRefused, std::string(kProgress).substr(0, 100), std::string(kProgress).substr(100)},
         {S::Live, S::Down, S::Live}, {L"Live", L"Down: connection refused"}, L""},
        {"Debian spelling", false, {kDebianRefused, kProgress}, {S::Live, S::Down, S::Live},
         {L"Live", L"Down: connection refused"}, L""},
        {"both dropped after going live", false, {kWinHead, kProgress, kDropped}, {S::Down, S::Down, S::Live},
         {L"Down: server closed the connection", L"Down: server closed the connection"},
         L"every channel went down (Alpha: server closed the connection; Dead: server closed the connection)"},
        {"every output failed", false, {kAllFailed}, {S::Down, S::Down, S::Down},
         {L"Down: connection refused", L"Down: connection refused"},
         L"no channel could be reached (Alpha: connection refused; Dead: connection refused), and the recording "
         L"file could not be written (no such file or directory)"},
        {"fifo lines matched by URL", true, {kWinHead, kProgress, kFifoDown}, {S::Retrying, S::Retrying, S::Live},
         {L"Down (retrying, attempt 2): connection refused", L"Down (retrying, attempt 3): connection refused"},
         L"every channel went down (Alpha: connection refused; Dead: connection refused)"},
        // A server that answers the publish with an error: ffmpeg's rtmp logs "Server error" and the
        // tee sees an unknown error.
        {"stream key refused", false,
         {kProgress, "[rtmp @ 0000000005a0e2c0] Server error: Publishing refusedkey is not allowed\r\n"
                     "[tee @ 0000000000cdd1c0] Slave muxer #1 failed: Unknown error occurred, continuing with 2/3 slaves.\r\n"},
         {S::Live, S::Down, S::Live}, {L"Live", L"Down: stream key refused"}, L""},
        {"fifo recovery", true, {kWinHead, kProgress, kFifoDown, kFifoBack}, {S::Live, S::Retrying, S::Live},
         {L"Live", L"Down (retrying, attempt 3): connection refused"}, L""},
        // A refusal belongs to its own connection's failure, not to the next failure of another channel.
        {"refusals among interleaved failures", true,
         {kWinHead, kProgress,
          "[rtmp @ 0000000005a0e2c0] Server error: Already publishing\r\n"
          "[fifo @ 00000000045f1280] Error opening rtmp://127.0.0.1:19552/live/refusedkey: Unknown error occurred\r\n"
          "[rtmp @ 0000000005a0e3c0] Server error: Already publishing\r\n"
          "[fifo @ 00000000045f1280] Recovery failed: Unknown error occurred\r\n"
          "[fifo @ 00000000045e95c0] Error opening rtmp://127.0.0.1:19550/live/goodkey: Error number -10054 occurred\r\n"},
         {S::Retrying, S::Retrying, S::Live},
         {L"Down (retrying, attempt 1): server closed the connection", L"Down (retrying, attempt 2): stream key refused"},
         L"every channel went down (Alpha: server closed the connection; Dead: stream key refused)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CEncoderReport report(Targets(), c.retrying);
        for (const std::string& piece : c.reads) report.Feed(piece);
        EXPECT_EQ(States(report), c.states);
        const std::vector<TargetStatus> statuses = report.Statuses();
        EXPECT_EQ(ChannelStatusText(statuses[0]), c.texts[0]);
        EXPECT_EQ(ChannelStatusText(statuses[1]), c.texts[1]);
        EXPECT_EQ(EndedByItselfReason(report), c.ended);
    }
}

TEST(EncoderReport, TheLastOutputToDropIsNamedOnlyByAllTeeOutputsFailed) {
    // As the Windows encoder wrote it: two channels, nginx stopped mid-session.
    const char dropped[] =
        "[flv @ 00000000055b5580] Failed to update header with correct filesize.\r\n"
        "[tee @ 0000000000d31cc0] Slave muxer #0 failed: Error number -10054 occurred, continuing with 1/2 slaves.\r\n"
        "[flv @ 00000000055b7100] Failed to update header with correct duration.\r\n"
        "[flv @ 00000000055b7100] Failed to update header with correct filesize.\r\n"
        "[tee @ 0000000000d31cc0] All tee outputs failed.\r\n"
        "av_interleaved_write_frame(): Unknown error\r\n";
    CEncoderReport report({Targets()[0], Targets()[1]}, false);
    report.Feed(std::string(kWinHead) + kProgress + dropped);
    EXPECT_EQ(States(report), (std::vector<S>{S::Down, S::Down}));
    EXPECT_EQ(EndedByItselfReason(report),
              L"every channel went down (Alpha: server closed the connection; Dead: server closed the connection)");
    // A single channel: the line after it is all there is.
    CEncoderReport single({Targets()[0]}, false);
    single.Feed(std::string(kProgress) + "[tee @ 0000000000d31cc0] All tee outputs failed.\r\n"
                "av_interleaved_write_frame(): Error number -10054 occurred\r\n");
    EXPECT_EQ(EndedByItselfReason(single), L"every channel went down (Alpha: server closed the connection)");
}

TEST(EncoderReport, AnInputThatDidNotOpenIsNamedAsTheUserKnowsIt) {
    // As the Windows encoder wrote them, for a device found by name that would not open, and for an
    // audio part it went on to look for among the video devices.
    const char alternative[] = "@device_sw_{33D9A762-90C8-11D0-BD43-00A0C911CE86}\\{7E570000-0000-0000-0000-0000000000C1}";
    const std::string searched = std::string("[dshow @ 0000000000cb32c0] Searching for audio device within video devices for ") +
                                 alternative + "\r\n[dshow @ 0000000000cb32c0] Could not enumerate audio only devices (or none found).\r\n";
    const struct { const char* what; std::string lines; std::wstring named; } rows[] = {
        {"audio part of the screen input", searched + "video=screen-capture-recorder:audio=" + alternative + ": I/O error\r\n",
         L"Microphone (Wave:3)"},
        {"the screen part", "video=screen-capture-recorder:audio=Stereo Mix (Realtek Audio): I/O error\r\n",
         L"screen-capture-recorder"},
        {"the overlay camera", "video=USB Camera: I/O error\r\n", L"USB Camera"},
        {"a target's failure is not an input's", kAllFailed, L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        CEncoderReport report(Targets(), false);
        report.NameDevices({{Utf8ToWide(alternative), L"Microphone (Wave:3)"}, {L"USB Camera", L"USB Camera"}});
        report.Feed(row.lines);
        EXPECT_EQ(report.UnopenedDevice(), row.named);
        if (!row.named.empty()) {
            EXPECT_EQ(EndedByItselfReason(report), L"the encoder could not open the device \"" + row.named +
                                                       L"\" (check that it is connected and not in use by another program)");
        }
    }
}

TEST(EncoderReport, SpeedOfTheLastProgressLine) {
    const std::pair<const char*, double> lines[] = {
        {"frame=   94 fps= 12 q=26.0 size=N/A time=00:00:06.25 bitrate=N/A speed= 0.8x    \r", 0.8},
        {"frame=   96 fps= 11 q=-1.0 Lsize=N/A time=00:00:08.02 bitrate=N/A speed=0.898x    \r", 0.898},
        {"frame=    2 fps=0.3 q=0.0 size=N/A time=00:00:00.00 bitrate=N/A speed=   0x    \r", 0},
        {"frame=    0 fps=0.0 q=0.0 size=N/A time=N/A bitrate=N/A speed=N/A    \r", -1},
        {"size=N/A time=00:00:03.00 bitrate=N/A speed=1.01x    \r", 1.01},
    };
    for (const auto& [line, speed] : lines) {
        CEncoderReport report(Targets(), false);
        EXPECT_FALSE(report.Progress());
        report.Feed(line);
        EXPECT_TRUE(report.Progress()) << line;
        EXPECT_DOUBLE_EQ(report.Speed(), speed) << line;
    }
    CEncoderReport report(Targets(), false);
    report.Feed("frame=   94 fps= 12 q=26.0 size=N/A time=01:02:06.25 bitrate=N/A speed= 0.8x    \r");
    EXPECT_DOUBLE_EQ(report.MediaSeconds(), 3726.25);
    report.Feed("frame=    0 fps=0.0 q=0.0 size=N/A time=N/A bitrate=N/A speed=N/A    \r");
    EXPECT_LT(report.MediaSeconds(), 0);
}

TEST(EncoderReport, KeysRedactedInEverySpelling) {
    // A key with the characters the tee and the report's quoting escape.
    const std::wstring key = L"sk_live'9\\x$y\u00e9";
    const std::string plain = "sk_live'9\\x$y\xc3\xa9", tee = "sk_live\\'9\\\\x$y\xc3\xa9",
                      quoted = "sk_live\\\\'9\\\\\\\\x\\$y\\xc3\\xa9";
    std::vector<ReportTarget> targets = {{L"Main", L"rtmp://h/app/" + key, key, false}};
    CEncoderReport report(targets, true);
    const std::string lines[] = {
        "\"ffmpeg.exe\" -f tee \"[f=flv:onfail=ignore]rtmp://h/app/" + quoted + "\" -y",
        "[f=flv:onfail=ignore]rtmp://h/app/" + tee,
        "[tee @ 00] Slave '[f=flv:onfail=ignore]rtmp://h/app/" + plain + "': error opening: Input/output error",
        "Command line: ffmpeg -f tee \"[f=flv]rtmp://h/app/" + plain + "\" key=" + plain + " again " + plain,
    };
    for (const std::string& line : lines) {
        const std::string out = report.Redactor().Redact(line);
        EXPECT_EQ(out.find("sk_live"), std::string::npos) << out;
        EXPECT_EQ(out.find("9\\"), std::string::npos) << out;
        EXPECT_NE(out.find("********"), std::string::npos) << out;
    }
    EXPECT_EQ(report.Redactor().Redact("[f=flv]rtmp://h/app/" + quoted + "|x"), "[f=flv]rtmp://h/app/********|x");
    // The report's own words as a reason: the URL in them goes out without the key.
    report.Feed("frame=1 speed=1x\r[fifo @ 01] Error opening rtmp://h/app/" + plain + ": Input/output error at rtmp://h/app/" +
                plain + ".\n");
    const TargetStatus status = report.Statuses()[0];
    EXPECT_EQ(status.state, S::Retrying);
    EXPECT_EQ(status.reason, L"input/output error at rtmp://h/app/********");
}

TEST(EncoderReport, EnvironmentValueAndBlock) {
    EXPECT_EQ(ReportEnvironmentValue(L"C:\\Users\\Ann\\AppData\\Local\\Temp\\vandrel-report-12.log"),
              L"file=C\\:/Users/Ann/AppData/Local/Temp/vandrel-report-12.log:level=32");
    EXPECT_EQ(ReportEnvironmentValue(L"D:\\100%\\O'Brien\\r.log"), L"file=D\\:/100%%/O\\'Brien/r.log:level=32");
    EXPECT_TRUE(IsPlainAsciiPath(L"C:\\Temp\\r.log"));
    EXPECT_FALSE(IsPlainAsciiPath(L"C:\\Users\\J\u00f6rg\\r.log"));

    const auto text = [](const auto& literal) { return std::wstring(literal, std::size(literal) - 1); };
    const std::wstring block = EnvironmentBlockWith({L"=C:=C:\\x", L"APPDATA=C:\\a", L"ffreport=old", L"PATH=C:\\w", L"TEMP=C:\\t"},
                                                    L"FFREPORT", L"file=r.log");
    EXPECT_EQ(block, text(L"=C:=C:\\x\0APPDATA=C:\\a\0FFREPORT=file=r.log\0PATH=C:\\w\0TEMP=C:\\t\0\0"));
    EXPECT_EQ(EnvironmentBlockWith({}, L"FFREPORT", L"v"), text(L"FFREPORT=v\0\0"));
}

TEST(EncoderReport, DisplayTexts) {
    EXPECT_EQ(MaskKey(L"live_8h2k-93jd-q7xp"), std::wstring(15, L'\u2022') + L"q7xp");
    EXPECT_EQ(MaskKey(L"short123"), std::wstring(8, L'\u2022'));  // the last four would be half of it
    EXPECT_EQ(MaskKey(L""), L"");
    EXPECT_EQ(MaskKey(std::wstring(60, L'k') + L"tail"), std::wstring(16, L'\u2022') + L"tail");

    EXPECT_EQ(SessionTooltip(1, 2, true, 65), L"Vandrel: live on 1 of 2 channels, recording \u2013 0:01:05");
    EXPECT_EQ(SessionTooltip(0, 1, false, 3 * 3600 + 7), L"Vandrel: live on 0 of 1 channel \u2013 3:00:07");
    EXPECT_EQ(SessionTooltip(0, 0, true, 59), L"Vandrel: recording \u2013 0:00:59");
    EXPECT_EQ(SessionTooltip(0, 0, false, 0), L"Vandrel: waiting for the encoder \u2013 0:00:00");
}
