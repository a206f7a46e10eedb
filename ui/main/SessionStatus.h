// What the encoder's report says about the running session, kept by the main window.
#pragma once
#include "engine/EncoderReport.h"
#include "engine/ReportFile.h"
#include "engine/SessionNotices.h"

struct CSessionReport {
    CSessionReport(std::vector<ReportTarget> targets, bool retrying) : report(std::move(targets), retrying) {}
    CReportFile file;
    CEncoderReport report;
    CBalloonRule balloons;
    CSpeedWatch pace;
    std::wstring paceNote;  // falling behind, or caught up again
    std::wstring localFile;      // as the user knows it; "" for none
    std::wstring fileFailure;    // once the file failed: what the user was told
    std::wstring soundLost;      // once the second sound device stopped: what the user was told
    ULONGLONG started = GetTickCount64();
};

// The folder of the kept reports, beside the settings: "…\Quillane\Vandrel\Reports".
std::wstring KeptReportsFolder(const std::wstring& settingsPath);
