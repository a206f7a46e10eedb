// When the user hears about a running session: the balloon rule, the encoder's pace, kept reports.
#include "engine/SessionNotices.h"
#include <gtest/gtest.h>

namespace {
using S = TargetState;
const std::vector<ReportTarget> kTargets = {{L"Alpha", L"rtmp://a/live/k1", L"k1", false},
                                            {L"Beta", L"rtmp://b/live/k2", L"k2", false},
                                            {L"", L"C:/v/rec.mp4", L"", true}};
TargetStatus Live() { return {S::Live, L"", 0, true}; }
TargetStatus Down(const wchar_t* why = L"connection refused") { return {S::Down, why, 0, false}; }
TargetStatus Retrying(int attempt) { return {S::Retrying, L"server closed the connection", attempt, true}; }
TargetStatus Unknown() { return {}; }
}  // namespace

TEST(BalloonRule, OnChangesOnlyAtMostOnePerChannelPer30Seconds) {
    struct Step {
        long long ms;
        TargetStatus alpha, beta;
        std::wstring balloon;
    };
    const std::vector<Step> steps = {
        {0, Unknown(), Unknown(), L""},
        {1000, Live(), Down(), L"Beta is down: connection refused."},  // live at once: the start balloon said so
        {2000, Live(), Down(), L""},                                    // already told
        {3000, Retrying(1), Down(), L"Alpha is down, retrying: server closed the connection."},
        {4000, Retrying(2), Down(), L""},  // a new attempt is the same state
        {9000, Live(), Down(), L""},       // back within 30 s of its balloon: held
        {20000, Retrying(1), Down(), L""},  // and down again before anyone was told: nothing to tell
        {33000, Live(), Live(), L"Alpha is live again. Beta is live again."},  // quiet time over; one balloon
        {34000, Live(), Live(), L""},
        {40000, Down(L"stream key refused"), Live(), L""},  // Alpha's last balloon was 7 s ago
        {63000, Down(L"stream key refused"), Live(), L"Alpha is down: stream key refused."},
    };
    CBalloonRule rule;
    std::vector<TargetStatus> file = {TargetStatus{S::Down, L"no space left", 0, false}};  // never a channel balloon
    for (const Step& s : steps) {
        SCOPED_TRACE(s.ms);
        EXPECT_EQ(rule.Update(s.ms, kTargets, {s.alpha, s.beta, file[0]}), s.balloon);
    }
}

TEST(SpeedWatch, FallsBehindAfter10SlowSecondsAndSaysWhenItCatchesUp) {
    struct Step {
        long long ms;
        double media;
        CSpeedWatch::Change change;
    };
    using C = CSpeedWatch::Change;
    const std::vector<Step> steps = {
        {0, 0.0, C::None}, {5000, 3.0, C::None},    // slow, but not for 10 s yet
        {9000, 6.0, C::None}, {10000, 6.5, C::FellBehind},  // 6.5 s of picture in 10 s
        {12000, -1, C::None},                               // time=N/A: no sample
        {15000, 11.0, C::None},                             // still behind over the last 10 s
        {25000, 21.0, C::CaughtUp},                         // 10 s of picture in 10 s
        {30000, 26.0, C::None},
    };
    CSpeedWatch watch;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.ms);
        EXPECT_EQ(watch.Update(s.ms, s.media), s.change);
    }
    EXPECT_FALSE(watch.Behind());
}

TEST(KeptReports, RedactedCutToTheLimitAndOnlyTheLastFive) {
    const CKeyRedactor redactor({L"live_secret"});
    std::string raw = "Command line:\r\nffmpeg -f tee \"rtmp://a/live/live_secret\" -y\r\n";
    for (int i = 0; i < 2000; ++i) raw += "frame=" + std::to_string(i) + " fps=12 time=00:00:01.00 speed=1x    \r\n";
    raw += "[tee @ 01] Slave '[f=flv]rtmp://a/live/live_secret': error opening: End of file\r\n";
    const std::string kept = KeptReportText(raw, redactor, 8000);
    EXPECT_LE(kept.size(), 8000u);
    EXPECT_EQ(kept.find("live_secret"), std::string::npos);
    EXPECT_EQ(kept.substr(0, 58), "Command line:\r\nffmpeg -f tee \"rtmp://a/live/********\" -y\r\n");
    EXPECT_NE(kept.find("bytes in all; the middle is left out"), std::string::npos);
    const std::string last = "\n[tee @ 01] Slave '[f=flv]rtmp://a/live/********': error opening: End of file\r\n";
    EXPECT_EQ(kept.substr(kept.size() - last.size()), last);
    EXPECT_EQ(KeptReportText("short live_secret", redactor, 8000), "short ********");

    EXPECT_EQ(ReportsToDelete({L"r-2026-12-09_10-00-00.log", L"r-2026-12-01_10-00-00.log", L"r-2026-12-05_10-00-00.log",
                               L"r-2026-12-08_10-00-00.log", L"r-2026-12-07_10-00-00.log", L"r-2026-12-03_10-00-00.log",
                               L"r-2026-12-06_10-00-00.log"}),
              (std::vector<std::wstring>{L"r-2026-12-01_10-00-00.log", L"r-2026-12-03_10-00-00.log"}));
    EXPECT_TRUE(ReportsToDelete({L"a.log", L"b.log"}).empty());
}
