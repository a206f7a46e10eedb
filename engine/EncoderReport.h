// The encoder's own report (FFREPORT): where it goes, how it is read, and what it says about
// each target of the session. Keys never leave this file's functions in plain text.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// The FFREPORT value for a report at path: ':' separates options there, '\' and '\'' escape and
// '%' is expanded, so the drive colon is escaped, slashes go forward and '%' is doubled.
std::wstring ReportEnvironmentValue(std::wstring_view path);
// True when every unit is printable ASCII: the encoder opens its report through the ANSI API.
bool IsPlainAsciiPath(std::wstring_view path);

// A Unicode environment block ("NAME=value\0…\0") of entries with name set to value: any entry of
// that name (in any case) is replaced, the new one goes in sorted order.
std::wstring EnvironmentBlockWith(const std::vector<std::wstring>& entries, std::wstring_view name,
                                  std::wstring_view value);

std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);

// Every spelling of every key replaced by "********": plain, as escaped for the tee, and as the
// report quotes the command line (backslash before '\', '"', '$' and '`').
class CKeyRedactor {
public:
    explicit CKeyRedactor(const std::vector<std::wstring>& keys);
    std::string Redact(std::string_view text) const;

private:
    std::vector<std::string> m_spellings;  // longest first
};

// Masked for display: bullets, and the last four characters when the key is long enough that
// they give nothing away.
std::wstring MaskKey(std::wstring_view key);

// One output of the tee, in the order of the command line (the local file last).
struct ReportTarget {
    std::wstring name;  // the server name; "" for the local file
    std::wstring url;   // RTMP URL and key as the encoder opens them, or the file path
    std::wstring key;   // "" for the local file
    bool file = false;
};

enum class TargetState { Unknown, Live, Down, Retrying };  // for the file: Live is recording, Down failed

struct TargetStatus {
    TargetState state = TargetState::Unknown;
    std::wstring reason;  // short, redacted: "connection refused", or the report's own words
    int attempt = 0;      // while retrying: the connection attempt under way, from 1
    bool everLive = false;
};

class CEncoderReport {
public:
    // retrying: the channels recover after a drop (the fifo of ReconnectChannels).
    CEncoderReport(std::vector<ReportTarget> targets, bool retrying);

    // Bytes as they come from the file; a line may arrive in pieces.
    void Feed(std::string_view bytes);

    bool Arrived() const { return m_arrived; }
    bool Progress() const { return m_progress; }
    double Speed() const { return m_speed; }  // of the last progress line; negative when unknown
    double MediaSeconds() const { return m_media; }  // its "time=", negative when unknown
    const std::vector<ReportTarget>& Targets() const { return m_targets; }
    std::vector<TargetStatus> Statuses() const;
    const CKeyRedactor& Redactor() const { return m_redactor; }
    // The line's capture devices: the name the encoder was given, the name the user knows.
    void NameDevices(std::vector<std::pair<std::wstring, std::wstring>> devices) { m_devices = std::move(devices); }
    // The capture device of the input the encoder could not open, as the user knows it; "" for none.
    const std::wstring& UnopenedDevice() const { return m_unopened; }

private:
    struct Track {
        bool failed = false;
        bool retrying = false;
        bool wasLive = false;
        std::wstring reason;
        int recoveryFailures = 0;
    };
    void Line(std::string_view line);
    void Fail(size_t target, std::string_view reason, bool retrying);
    std::wstring ShortReason(std::string_view words) const;

    std::vector<ReportTarget> m_targets;
    std::vector<std::string> m_urls;  // UTF-8, to match the fifo's lines
    bool m_retrying;
    CKeyRedactor m_redactor;
    std::vector<Track> m_tracks;
    std::vector<std::pair<std::string, size_t>> m_fifos;  // "[fifo @ …]" context → target
    std::string m_partial;
    bool m_arrived = false;
    bool m_progress = false;
    static constexpr size_t kNextLine = static_cast<size_t>(-2);
    struct Refusal {
        size_t target = static_cast<size_t>(-1);  // none; kNextLine: the failure on the next line
        size_t line = 0;
    } m_refusal;
    size_t m_lineNumber = 0;
    std::vector<size_t> m_failedLast;  // taken down by "All tee outputs failed.": their reason comes next
    std::string m_lastSlaveReason;     // of the last "Slave muxer #N failed"
    double m_speed = -1;
    double m_media = -1;
    std::vector<std::pair<std::wstring, std::wstring>> m_devices;
    std::string m_searchedAudio;  // the audio part of a two-device input, when its own search failed
    std::wstring m_unopened;
};

// A status text beside a channel selector: "Live", "Down: connection refused",
// "Down (retrying, attempt 2): connection refused", "Unknown: waiting for the encoder".
std::wstring ChannelStatusText(const TargetStatus& status);
// The tray's tooltip: "Vandrel: live on 1 of 2 channels, recording – 0:01:05", cut to 127 units.
// recordingFailed: the session's file failed, said in place of "recording".
std::wstring SessionTooltip(size_t live, size_t channels, bool recording, long long seconds, bool recordingFailed = false);
// Why a session ended by itself, naming each server and its reason; "" when the report tells nothing.
std::wstring EndedByItselfReason(const CEncoderReport& report);
