// The encoder's report file of one session: at a path the encoder can open, read while it
// grows, and gone once the session is over.
#pragma once
#include <windows.h>
#include <string>

class CReportFile {
public:
    // Chooses a new path and deletes the reports earlier sessions left behind.
    CReportFile();
    ~CReportFile();
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;

    // "" when no folder has a plain-ASCII path: the session then runs without a report.
    const std::wstring& Path() const { return m_path; }
    // This process's environment plus FFREPORT, as a Unicode block; "" without a path.
    std::wstring EnvironmentBlock() const;
    // What the encoder wrote since the last call; never waits for it.
    std::string ReadNew();
    // The whole report as it stands.
    std::string ReadAll() const;
    // Closes and deletes the report.
    void Delete();

private:
    std::wstring m_path;
    HANDLE m_file = INVALID_HANDLE_VALUE;
};

// The folder reports go to, with its trailing backslash; "" when none has a plain-ASCII path.
std::wstring ReportFolder();
// Deletes every session report of this user that no encoder holds open any more.
void DeleteLeftoverReports();
