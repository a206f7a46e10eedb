// The session's ".mp4" recording becomes a real MP4 once the encoder has ended: the tray says
// "Saving recording…" meanwhile, a Start waits for it, and a conversion the application does not
// live through is remembered in [Local] "PendingConversion" and done at the next start.
#include "config/Win32SettingsStore.h"
#include "engine/Mp4Conversion.h"
#include "ui/main/MainWindow.h"
#include <utility>

namespace {

// A bare name is the encoder's, which runs in the encoder folder.
std::wstring InEncoderFolder(const std::wstring& file) {
    const bool absolute = file.size() > 1 && (file[1] == L':' || (file[0] == L'\\' && file[1] == L'\\'));
    return absolute ? file : EncoderFolder() + L"\\" + file;
}

}  // namespace

// "PendingConversion" names file already (written at the Start, or read at start-up).
void CManageStreamingServerDlg::ConvertRecording(const std::wstring& file) {
    if (file.empty()) return;
    if (!NeedsMp4Conversion(file) || GetFileAttributesW(InEncoderFolder(file).c_str()) == INVALID_FILE_ATTRIBUTES) {
        // Nothing was recorded (the launch failed, the file was moved away): nothing to convert.
        Settings().WriteString(m_szLocalSettingsPath, L"Local", L"PendingConversion", L"");
        return;
    }
    m_conversion->Start(InEncoderFolder(file), m_hWnd);
}

TrayNotice CManageStreamingServerDlg::SaveAfterSession() {
    ConvertRecording(std::exchange(m_strSessionFile, L""));
    return m_conversion->Running() ? TrayNotice::Tooltip(kSavingRecording) : TrayNotice{};
}

void CManageStreamingServerDlg::ConvertPendingRecording() {
    m_strSessionFile = Settings().GetString(m_szLocalSettingsPath, L"Local", L"PendingConversion", L"");
    m_host.ShowTrayNotice(SaveAfterSession());
}

void CManageStreamingServerDlg::OnConversionDone() {
    std::wstring file;
    bool converted = false;
    if (!m_conversion->TakeResult(file, converted)) return;
    // Done or failed, it is not tried again.
    Settings().WriteString(m_szLocalSettingsPath, L"Local", L"PendingConversion", L"");
    TrayNotice notice = TrayNotice::Tooltip(L"");
    if (!converted) {
        notice.balloon = Mp4ConversionFailedText(file);
        notice.balloonIcon = NIIF_WARNING;
        SetStatus(notice.balloon);
    } else if (m_bStartAfterSave) {
        SetStatus(L"");
    }
    m_host.ShowTrayNotice(notice);
    if (std::exchange(m_bStartAfterSave, false)) OnStart();
}

void CManageStreamingServerDlg::FinishConversion(DWORD timeoutMs) {
    m_bStartAfterSave = false;  // the application is ending
    if (m_conversion->Wait(timeoutMs)) OnConversionDone();
    else LeaveConversion();
}

void CManageStreamingServerDlg::LeaveConversion() {
    // "PendingConversion" still names the file: the next start converts it.
    m_bStartAfterSave = false;
    if (!m_conversion->Running()) return;
    m_conversion->Abandon();
    m_host.ShowTrayNotice(TrayNotice::Tooltip(L""));
}
