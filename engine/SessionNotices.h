// When the user is told about a running session: balloons on changes only, the encoder falling
// behind, and the redacted reports kept for asking for help.
#pragma once
#include "engine/EncoderReport.h"
#include <deque>
#include <string>
#include <vector>

// A balloon when a channel goes down or comes back; at most one per channel per 30 s, and none
// for a state the user has been told already. Changes of several channels share one balloon.
class CBalloonRule {
public:
    static constexpr long long kQuietMs = 30000;
    // The channels' states at nowMs (targets in command-line order; the file is left out).
    // Returns the balloon to show now, "" for none.
    std::wstring Update(long long nowMs, const std::vector<ReportTarget>& targets, const std::vector<TargetStatus>& statuses);

private:
    enum class Told { Nothing, Live, Down };
    struct Channel {
        Told told = Told::Nothing;
        long long lastMs = 0;
        bool balloonShown = false;
    };
    std::vector<Channel> m_channels;
};

inline constexpr wchar_t kFallingBehind[] = L"Your computer cannot encode fast enough: the stream is falling behind.";
inline constexpr wchar_t kCaughtUp[] = L"Your computer keeps up again: the stream is no longer falling behind.";

// The encoder's pace: media time gained against wall time over the last 10 s. The report's own
// "speed=" is an average since the start and never shows a recovery.
class CSpeedWatch {
public:
    static constexpr long long kWindowMs = 10000;
    static constexpr double kSlow = 0.9;
    enum class Change { None, FellBehind, CaughtUp };
    // mediaSeconds: the "time=" of the last progress line, negative when unknown.
    Change Update(long long nowMs, double mediaSeconds);
    bool Behind() const { return m_behind; }

private:
    std::deque<std::pair<long long, double>> m_samples;
    bool m_behind = false;
};

inline constexpr size_t kKeptReportBytes = 1 << 20;
inline constexpr size_t kKeptReports = 5;

// The report as kept: every key redacted, at most `limit` bytes (the start and the end, with a
// line saying what was left out between them).
std::string KeptReportText(std::string_view raw, const CKeyRedactor& redactor, size_t limit = kKeptReportBytes);
// Of the kept reports' file names (which sort by time), those to delete so that `keep` stay.
std::vector<std::wstring> ReportsToDelete(std::vector<std::wstring> names, size_t keep = kKeptReports);
