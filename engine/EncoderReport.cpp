// Reading the encoder's report: its environment value, key redaction and the per-target states.
#include "engine/EncoderReport.h"
#include "config/TextRules.h"
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kRedacted[] = "********";
constexpr char kSlaveFailed[] = "Slave muxer #";
constexpr char kErrorOpening[] = "Error opening ";
constexpr char kRecoveryFailed[] = "Recovery failed";
constexpr char kRecoverySuccessful[] = "Recovery successful";

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }
bool Contains(std::string_view s, std::string_view p) { return s.find(p) != std::string_view::npos; }

std::string Escaped(std::string_view s, std::string_view special) {
    std::string out;
    for (char c : s) {
        if (special.find(c) != std::string_view::npos) out += '\\';
        out += c;
    }
    return out;
}

// As the report writes a command-line argument in quotes: a backslash before '\\', '"', '$' and
// '`', and "\\xNN" for every byte outside printable ASCII.
std::string Quoted(std::string_view s) {
    std::string out;
    for (char c : s) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b < 0x20 || b > 0x7E) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", b);
            out += hex;
        } else {
            if (c == '\\' || c == '"' || c == '$' || c == '`') out += '\\';
            out += c;
        }
    }
    return out;
}

// "[tee @ 0000000000d08480] text" → context "tee @ 0000000000d08480", text.
std::pair<std::string_view, std::string_view> SplitContext(std::string_view line) {
    if (line.empty() || line[0] != '[') return {{}, line};
    const size_t close = line.find("] ");
    if (close == std::string_view::npos || !Contains(line.substr(0, close), " @ ")) return {{}, line};
    return {line.substr(1, close - 1), line.substr(close + 2)};
}

}  // namespace

std::wstring ReportEnvironmentValue(std::wstring_view path) {
    std::wstring out = L"file=";
    for (wchar_t c : path) {
        if (c == L'\\') c = L'/';
        if (c == L':' || c == L'\'') out += L'\\';
        if (c == L'%') out += L'%';
        out += c;
    }
    return out + L":level=32";
}

bool IsPlainAsciiPath(std::wstring_view path) {
    return std::all_of(path.begin(), path.end(), [](wchar_t c) { return c >= 0x20 && c < 0x7F; });
}

std::wstring EnvironmentBlockWith(const std::vector<std::wstring>& entries, std::wstring_view name,
                                  std::wstring_view value) {
    std::vector<std::wstring> kept;
    for (const std::wstring& e : entries) {
        // "=C:=C:\dir" entries keep their leading '=' as part of the name.
        const size_t eq = e.find(L'=', 1);
        if (!EqualsIgnoringCase(std::wstring_view(e).substr(0, eq), name)) kept.push_back(e);
    }
    const std::wstring added = std::wstring(name) + L"=" + std::wstring(value);
    const auto upper = [](std::wstring_view s) {
        std::wstring u(s.substr(0, s.find(L'=', 1)));
        for (wchar_t& c : u)
            if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
        return u;
    };
    const std::wstring key = upper(added);
    auto at = std::find_if(kept.begin(), kept.end(), [&](const std::wstring& e) { return upper(e) > key; });
    kept.insert(at, added);
    std::wstring block;
    for (const std::wstring& e : kept) block += e + L'\0';
    return block + L'\0';
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2 && c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
            const char32_t low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        const int extra = b < 0x80 ? 0 : b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
        char32_t c = extra == 0 ? b : extra == 1 ? b & 0x1F : extra == 2 ? b & 0x0F : b & 0x07;
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char n = static_cast<unsigned char>(text[i + k]);
            ok = (n & 0xC0) == 0x80;
            c = (c << 6) | (n & 0x3F);
        }
        if (!ok) {  // not UTF-8 (an ANSI byte): shown as the replacement character
            out += L'\uFFFD';
            ++i;
            continue;
        }
        i += static_cast<size_t>(extra) + 1;
        if (c >= 0x10000 && sizeof(wchar_t) == 2) {
            out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

CKeyRedactor::CKeyRedactor(const std::vector<std::wstring>& keys) {
    for (const std::wstring& key : keys) {
        if (key.empty()) continue;
        const std::string plain = WideToUtf8(key);
        const std::string tee = Escaped(plain, "\\'");
        for (const std::string& s : {plain, tee, Quoted(plain), Quoted(tee)})
            if (std::find(m_spellings.begin(), m_spellings.end(), s) == m_spellings.end()) m_spellings.push_back(s);
    }
    // A longer spelling holds a shorter one: replace it first, or its escapes would stay behind.
    std::stable_sort(m_spellings.begin(), m_spellings.end(),
                     [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
}

std::string CKeyRedactor::Redact(std::string_view text) const {
    std::string out(text);
    for (const std::string& s : m_spellings)
        for (size_t at = out.find(s); at != std::string::npos; at = out.find(s, at + sizeof kRedacted - 1))
            out.replace(at, s.size(), kRedacted);
    return out;
}

std::wstring MaskKey(std::wstring_view key) {
    constexpr size_t kShown = 4;
    const size_t bullets = std::min<size_t>(key.size() > 2 * kShown ? key.size() - kShown : key.size(), 16);
    std::wstring out(bullets, L'\u2022');
    if (key.size() > 2 * kShown) out += key.substr(key.size() - kShown);
    return out;
}

CEncoderReport::CEncoderReport(std::vector<ReportTarget> targets, bool retrying)
    : m_targets(std::move(targets)), m_retrying(retrying), m_redactor([&] {
          std::vector<std::wstring> keys;
          for (const ReportTarget& t : m_targets) keys.push_back(t.key);
          return keys;
      }()),
      m_tracks(m_targets.size()) {
    for (const ReportTarget& t : m_targets) m_urls.push_back(WideToUtf8(t.url));
}

void CEncoderReport::Feed(std::string_view bytes) {
    if (!bytes.empty()) m_arrived = true;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') {
            if (!m_partial.empty()) Line(m_partial);
            m_partial.clear();
        } else if (m_partial.size() < 64 * 1024) {  // a line that long is nothing this reader looks for
            m_partial += c;
        }
    }
}

void CEncoderReport::Line(std::string_view line) {
    ++m_lineNumber;
    const auto [context, text] = SplitContext(line);
    if (context.empty() && !m_failedLast.empty() && StartsWith(text, "av_interleaved_write_frame(): ")) {
        // What ended the last output, said once the tee has given up; the Windows build says only
        // "Unknown error" there, and the other outputs' reason then stands.
        if (!Contains(text, "Unknown error"))
            for (size_t i : m_failedLast) m_tracks[i].reason = ShortReason(text.substr(30));
        m_failedLast.clear();
        return;
    }
    if (StartsWith(context, "dshow @") && StartsWith(text, "Searching for audio device within video devices for "))
        m_searchedAudio = text.substr(52);
    if (context.empty() && (StartsWith(text, "video=") || StartsWith(text, "audio=")) && m_unopened.empty()) {
        // "video=A:audio=B: I/O error": an input that did not open; its audio part, when the
        // encoder went on to look for that among the video devices.
        const std::string_view input = text.substr(0, text.rfind(": "));
        const bool audio = !m_searchedAudio.empty() && Contains(input, m_searchedAudio);
        m_unopened = Utf8ToWide(audio ? m_searchedAudio : input.substr(6, input.find(":audio=") - 6));
        for (const auto& [given, known] : m_devices)
            if (given == m_unopened) m_unopened = known;
        return;
    }
    if (context.empty()) {
        // "frame=… speed=0.99x" (video) or "size=… speed=…" (sound only): the session moves on.
        const size_t speed = text.find("speed=");
        if ((StartsWith(text, "frame=") || StartsWith(text, "size=")) && speed != std::string_view::npos) {
            m_progress = true;
            const std::string value(text.substr(speed + 6));
            char* end = nullptr;
            const double v = std::strtod(value.c_str(), &end);
            m_speed = end != value.c_str() && *end == 'x' ? v : -1;
            // "time=00:01:02.50"
            const size_t time = text.find("time=");
            int h = 0, m = 0;
            double s = 0;
            m_media = time != std::string_view::npos &&
                              std::sscanf(std::string(text.substr(time + 5, 16)).c_str(), "%d:%d:%lf", &h, &m, &s) == 3
                          ? h * 3600.0 + m * 60.0 + s
                          : -1;
            for (Track& t : m_tracks)
                if (!t.failed) t.wasLive = true;
        }
        return;
    }
    if (StartsWith(context, "tee @") && StartsWith(text, kSlaveFailed)) {
        // "Slave muxer #1 failed: Connection refused, continuing with 2/3 slaves."
        const size_t index = std::strtoul(std::string(text.substr(sizeof kSlaveFailed - 1)).c_str(), nullptr, 10);
        const size_t colon = text.find(": ");
        const size_t tail = text.rfind(", continuing with");
        std::string_view reason;
        if (colon != std::string_view::npos) reason = text.substr(colon + 2, tail == std::string_view::npos ? text.npos : tail - colon - 2);
        if (index < m_tracks.size()) Fail(index, reason.empty() ? "failed" : reason, false);
        if (!reason.empty()) m_lastSlaveReason = reason;
        return;
    }
    if (StartsWith(context, "tee @") && StartsWith(text, "All tee outputs failed.")) {
        // The last output to fail gets only this line, with no number: every one still up is down.
        const std::string reason = m_lastSlaveReason.empty() ? "unknown error" : m_lastSlaveReason;
        for (size_t i = 0; i < m_tracks.size(); ++i) {
            if (m_tracks[i].failed) continue;
            Fail(i, reason, false);
            m_failedLast.push_back(i);
        }
        return;
    }
    if (StartsWith(context, "tee @") && StartsWith(text, "Slave '")) {
        // "Slave '[f=flv:onfail=ignore]rtmp://…/key': error opening: No such file or directory":
        // when every output fails this is the only line the last one gets.
        const size_t end = text.rfind("': error opening: ");
        if (end == std::string_view::npos) return;
        std::string_view slave = text.substr(7, end - 7);
        if (StartsWith(slave, "[")) slave = slave.substr(std::min(slave.find(']') + 1, slave.size()));
        for (size_t i = 0; i < m_urls.size(); ++i)
            if (slave == m_urls[i]) Fail(i, text.substr(end + 18), false);
        return;
    }
    if (StartsWith(context, "rtmp @") && StartsWith(text, "Server error")) {
        // The server said no: to the target whose key the words name, or else to the failure
        // on the very next line (the same connection's), never to a later one of another target.
        m_refusal = {kNextLine, m_lineNumber};
        for (size_t i = 0; i < m_targets.size(); ++i)
            if (!m_targets[i].key.empty() && Contains(text, WideToUtf8(m_targets[i].key))) m_refusal.target = i;
        return;
    }
    if (!StartsWith(context, "fifo @")) return;
    // The fifo's lines carry no target number: its context is tied to a target by the first
    // "Error opening URL: …" it writes, and its later lines follow that.
    auto known = std::find_if(m_fifos.begin(), m_fifos.end(), [&](const auto& f) { return f.first == context; });
    if (StartsWith(text, kErrorOpening)) {
        const std::string_view rest = text.substr(sizeof kErrorOpening - 1);
        for (size_t i = 0; i < m_urls.size(); ++i) {
            const std::string& url = m_urls[i];
            if (m_targets[i].file || !StartsWith(rest, url) || !StartsWith(rest.substr(url.size()), ": ")) continue;
            if (known == m_fifos.end()) {
                m_fifos.emplace_back(std::string(context), i);
                known = m_fifos.end() - 1;
            }
            if (!m_tracks[i].failed) Fail(i, rest.substr(url.size() + 2), m_retrying);
            return;
        }
        return;
    }
    if (known == m_fifos.end()) return;
    Track& t = m_tracks[known->second];
    if (StartsWith(text, kRecoveryFailed)) {
        if (t.failed) ++t.recoveryFailures;
    } else if (StartsWith(text, kRecoverySuccessful)) {
        t = Track{};
        t.wasLive = m_progress;
    }
}

void CEncoderReport::Fail(size_t target, std::string_view reason, bool retrying) {
    Track& t = m_tracks[target];
    t.failed = true;
    t.retrying = retrying && !m_targets[target].file;
    t.recoveryFailures = 0;
    const bool refused = m_refusal.target == target || (m_refusal.target == kNextLine && m_refusal.line + 1 == m_lineNumber);
    t.reason = refused ? L"stream key refused" : ShortReason(reason);
    if (refused) m_refusal = {};
}

std::wstring CEncoderReport::ShortReason(std::string_view words) const {
    // Each build spells a refused connection its own way ("Error number -138 occurred" is
    // this Windows build's ECONNREFUSED).
    if (Contains(words, "Connection refused") || Contains(words, "Error number -138 ")) return L"connection refused";
    for (const char* closed : {"End of file", "Broken pipe", "Connection reset", "Error number -10054 ",
                               "Error number -10053 ", "Error number -32 ", "Error number -108 "})
        if (Contains(words, closed)) return L"server closed the connection";
    std::wstring own = Utf8ToWide(m_redactor.Redact(words));
    while (!own.empty() && (own.back() == L' ' || own.back() == L'.')) own.pop_back();
    if (!own.empty()) own[0] = LowerAscii(own[0]);
    return own;
}

std::vector<TargetStatus> CEncoderReport::Statuses() const {
    std::vector<TargetStatus> out(m_targets.size());
    for (size_t i = 0; i < out.size(); ++i) {
        const Track& t = m_tracks[i];
        TargetStatus& s = out[i];
        s.everLive = t.wasLive;
        if (t.failed) {
            s.state = t.retrying ? TargetState::Retrying : TargetState::Down;
            s.reason = t.reason;
            s.attempt = t.retrying ? t.recoveryFailures + 1 : 0;
        } else {
            s.state = m_progress ? TargetState::Live : TargetState::Unknown;
        }
    }
    return out;
}
