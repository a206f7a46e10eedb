// The encoder's report file: its folder, its environment block, polling reads, removal.
#include "engine/ReportFile.h"
#include "engine/EncoderReport.h"
#include <vector>

namespace {

constexpr wchar_t kPattern[] = L"vandrel-report-*.log";

std::wstring TempFolder() {
    wchar_t buf[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    return n > 0 && n <= MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

std::wstring ShortForm(const std::wstring& path) {
    wchar_t buf[MAX_PATH + 1] = {};
    const DWORD n = GetShortPathNameW(path.c_str(), buf, MAX_PATH + 1);
    return n > 0 && n <= MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

}  // namespace

std::wstring ReportFolder() {
    // The encoder opens its report through the ANSI functions: a user name outside the code
    // page would make it write nowhere. The 8.3 form of the temp folder, where the volume keeps
    // one, is plain ASCII.
    const std::wstring temp = TempFolder();
    for (const std::wstring& folder : {temp, ShortForm(temp)})
        if (!folder.empty() && IsPlainAsciiPath(folder)) return folder;
    return L"";
}

void DeleteLeftoverReports() {
    const std::wstring folder = ReportFolder();
    if (folder.empty()) return;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + kPattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do DeleteFileW((folder + found.cFileName).c_str());  // one still written to stays
    while (FindNextFileW(find, &found));
    FindClose(find);
}

CReportFile::CReportFile() {
    DeleteLeftoverReports();
    const std::wstring folder = ReportFolder();
    if (folder.empty()) return;
    m_path = folder + L"vandrel-report-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(GetTickCount()) + L".log";
}

CReportFile::~CReportFile() { Delete(); }

std::wstring CReportFile::EnvironmentBlock() const {
    if (m_path.empty()) return L"";
    std::vector<std::wstring> entries;
    if (wchar_t* env = GetEnvironmentStringsW()) {
        for (const wchar_t* p = env; *p; p += entries.back().size() + 1) entries.emplace_back(p);
        FreeEnvironmentStringsW(env);
    }
    return EnvironmentBlockWith(entries, L"FFREPORT", ReportEnvironmentValue(m_path));
}

std::string CReportFile::ReadNew() {
    if (m_path.empty()) return {};
    if (m_file == INVALID_HANDLE_VALUE) {
        // Shared every way: the encoder keeps writing, and the file can go while it is open.
        m_file = CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_file == INVALID_HANDLE_VALUE) return {};
    }
    std::string out;
    char buf[16384];
    DWORD read = 0;
    while (out.size() < (1u << 20) && ReadFile(m_file, buf, sizeof buf, &read, nullptr) && read > 0)
        out.append(buf, read);
    return out;
}

std::string CReportFile::ReadAll() const {
    if (m_path.empty()) return {};
    HANDLE file = CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string out;
    char buf[65536];
    DWORD read = 0;
    while (ReadFile(file, buf, sizeof buf, &read, nullptr) && read > 0) out.append(buf, read);
    CloseHandle(file);
    return out;
}

void CReportFile::Delete() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    if (!m_path.empty()) DeleteFileW(m_path.c_str());
}
