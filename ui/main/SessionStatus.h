// What the encoder's report says about the running session, kept by the main window.
#pragma once
#include "engine/EncoderReport.h"
#include "engine/ReportFile.h"

struct CSessionReport {
    CSessionReport(std::vector<ReportTarget> targets, bool retrying) : report(std::move(targets), retrying) {}
    CReportFile file;
    CEncoderReport report;
    ULONGLONG started = GetTickCount64();
};
