// The media settings' preview: the encoder on the dialog's current choices for about two seconds,
// its picture in the box and each sound input's level beside its name. Nothing is stored.
#include "devices/CaptureDevices.h"
#include "engine/EncoderProcess.h"
#include "engine/EncoderReport.h"
#include "resources/MediaSettingsRes.h"
#include "ui/dialogs/MediaSettingsDialog.h"
#include "ui/framework/UserInterface.h"
#include "ui/theme/Theme.h"
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr UINT WM_APP_PREVIEW_DONE = WM_APP + 320;
constexpr wchar_t kPreview[] = L"Previe&w";
constexpr wchar_t kPreviewing[] = L"Previewing\u2026";
constexpr wchar_t kNoEncoder[] = L"The encoder (ffmpeg.exe) could not be started for a preview.";
constexpr int kLevelIds[] = {IDC_PREVIEW_LEVEL1, IDC_PREVIEW_LEVEL2};

HBITMAP BitmapOf(const PreviewPicture& picture) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), picture.width, -picture.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    const size_t stride = (static_cast<size_t>(picture.width) * 3 + 3) / 4 * 4;
    for (int row = 0; row < picture.height; ++row)
        std::copy_n(picture.bgr.data() + static_cast<size_t>(row) * picture.width * 3, picture.width * 3,
                    static_cast<uint8_t*>(bits) + stride * row);
    return bitmap;
}

}  // namespace

void CVandrelSettingsDlg::ShowPreviewIdle() {
    m_btnPreview.SetText(kPreview);
    m_btnPreview.Enable(true);
    for (int id : kLevelIds) ShowWindow(Item(id), SW_HIDE);
    SetDlgItemTextW(m_hWnd, IDC_PREVIEW_HINT, L"");
}

// Ends a preview under way at once: its encoder goes, and what it said is dropped.
void CVandrelSettingsDlg::EndPreview() {
    m_preview.Cancel();
    if (m_previewBitmap) DeleteObject(std::exchange(m_previewBitmap, nullptr));
}

void CVandrelSettingsDlg::OnPreview() {
    if (m_preview.Running()) return;
    // The choices must be ones the encoder can take, as for Apply.
    if (const std::wstring refusal = CheckChoices(); !refusal.empty()) {
        UI().MessageBox(m_hWnd, refusal, MB_OK | MB_ICONWARNING);
        return;
    }
    EncoderInputs in;
    in.videoFps = m_cmbFrameRate.Text();
    in.recMode = m_cmbRecordingMode.Text();
    in.primaryVidSrc = m_cmbPrimaryVideoSource.Text();
    in.disableVideo = m_chkDisableVideo.IsChecked();
    in.videoDevice = m_cmbOverlayDevice.Text();
    in.overlayVideoPos = m_cmbOverlayPosition.CurSel();
    in.muteAudio = m_chkMuteAudio.IsChecked();
    in.audioDevice = m_cmbAudioDevice.Text();
    in.alsoRecord = m_cmbAlsoRecord.CurSel() > 0 ? m_cmbAlsoRecord.Text() : L"";
    in.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    in.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    in.devices = AllCaptureDevices();
    m_previewLine = ComposePreviewLine(in);
    EndPreview();
    ShowPreviewIdle();
    InvalidateRect(Item(IDC_PREVIEW_PICTURE), nullptr, TRUE);
    const std::wstring folder = EncoderFolder();
    if (!m_preview.Start(EncoderExeIn(folder), m_previewLine.text, folder, m_hWnd, WM_APP_PREVIEW_DONE)) {
        SetDlgItemTextW(m_hWnd, IDC_PREVIEW_HINT, kNoEncoder);
        return;
    }
    m_btnPreview.SetText(kPreviewing);
    m_btnPreview.Enable(false);
}

void CVandrelSettingsDlg::OnPreviewDone() {
    CPreviewProcess::Output output;
    if (!m_preview.Take(output)) return;  // ended by Close or Apply, or already shown
    ShowPreviewIdle();
    std::wstring hints;
    const auto hint = [&](const std::wstring& text) { hints += (hints.empty() ? L"" : L"\r\n") + text; };

    // The composed picture on top, then each video input alone.
    const PreviewPicture picture = PictureFromBmp(output.picture);
    const int inputs = static_cast<int>(m_previewLine.videos.size());
    const int composed = picture.height - inputs * kPreviewInputHeight;
    if (composed > 0) m_previewBitmap = BitmapOf(PartOf(picture, 0, composed));
    InvalidateRect(Item(IDC_PREVIEW_PICTURE), nullptr, TRUE);

    CEncoderReport report({}, false);
    report.NameDevices(m_previewLine.devices);
    report.Feed(output.said + "\n");
    const std::wstring& unopened = report.UnopenedDevice();
    const auto& sounds = m_previewLine.sounds;
    if (composed <= 0 && !unopened.empty()) {
        // An input the encoder could not open: it started nothing else.
        hint(std::find(sounds.begin(), sounds.end(), unopened) != sounds.end() ? NoSoundHint(unopened) : NoPictureHint(unopened));
        SetDlgItemTextW(m_hWnd, IDC_PREVIEW_HINT, hints.c_str());
        return;
    }
    // No picture at all is the primary source's; a black part is its own input's.
    for (int i = 0; i < inputs; ++i)
        if (composed <= 0 ? i == 0 : LooksBlack(PartOf(picture, composed + i * kPreviewInputHeight, kPreviewInputHeight)))
            hint(NoPictureHint(m_previewLine.videos[static_cast<size_t>(i)]));
    m_levels = PreviewLevels(output.said, sounds.size());
    for (size_t i = 0; i < m_levels.size() && i < std::size(kLevelIds); ++i) {
        SetDlgItemTextW(m_hWnd, kLevelIds[i], LevelText(sounds[i], m_levels[i]).c_str());
        ShowWindow(Item(kLevelIds[i]), SW_SHOW);
        if (m_levels[i].Silent()) hint(NoSoundHint(sounds[i]));
    }
    SetDlgItemTextW(m_hWnd, IDC_PREVIEW_HINT, hints.c_str());
}

bool CVandrelSettingsDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_APP_PREVIEW_DONE) {
        OnPreviewDone();
        result = 0;
        return true;
    }
    if (msg != WM_DRAWITEM) return false;
    const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (wParam == IDC_PREVIEW_PICTURE)
        DrawPreview(item);
    else if (const size_t i = wParam - IDC_PREVIEW_LEVEL1; wParam >= IDC_PREVIEW_LEVEL1 && i < std::size(kLevelIds))
        DrawLevel(item, i);
    else
        return false;
    result = TRUE;
    return true;
}

// The picture fitted into the box, its aspect kept, on a dark ground in either look.
void CVandrelSettingsDlg::DrawPreview(const DRAWITEMSTRUCT& item) const {
    const RECT box = item.rcItem;
    HBRUSH ground = CreateSolidBrush(IsDark() ? ColorDarkField : RGB(64, 64, 64));
    FillRect(item.hDC, &box, ground);
    DeleteObject(ground);
    BITMAP bm{};
    if (!m_previewBitmap || !GetObjectW(m_previewBitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, RGB(176, 176, 176));
        HGDIOBJ old = SelectObject(item.hDC, reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
        RECT text = box;
        DrawTextW(item.hDC, m_preview.Running() ? kPreviewing : L"Press Preview to see what will be captured", -1, &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        SelectObject(item.hDC, old);
        return;
    }
    const int w = box.right - box.left, h = box.bottom - box.top;
    int fitW = w, fitH = MulDiv(w, bm.bmHeight, bm.bmWidth);
    if (fitH > h) fitH = h, fitW = MulDiv(h, bm.bmWidth, bm.bmHeight);
    HDC source = CreateCompatibleDC(item.hDC);
    HGDIOBJ old = SelectObject(source, m_previewBitmap);
    SetStretchBltMode(item.hDC, HALFTONE);
    SetBrushOrgEx(item.hDC, 0, 0, nullptr);
    StretchBlt(item.hDC, box.left + (w - fitW) / 2, box.top + (h - fitH) / 2, fitW, fitH, source, 0, 0, bm.bmWidth,
               bm.bmHeight, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

// The device's name and figures, and under them a bar from -60 dB to 0 dB: the mean filled, the
// peak a mark; red when the device gave no sound.
void CVandrelSettingsDlg::DrawLevel(const DRAWITEMSTRUCT& item, size_t input) const {
    const SoundLevel level = input < m_levels.size() ? m_levels[input] : SoundLevel{};
    const std::wstring name = input < m_previewLine.sounds.size() ? m_previewLine.sounds[input] : L"";
    const std::wstring figures = LevelFigures(level);
    RECT box = item.rcItem;
    HBRUSH ground = CreateSolidBrush(IsDark() ? ColorDarkBackground : GetSysColor(COLOR_3DFACE));
    FillRect(item.hDC, &box, ground);
    DeleteObject(ground);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, IsDark() ? ColorWhite : GetSysColor(COLOR_WINDOWTEXT));
    HGDIOBJ oldFont = SelectObject(item.hDC, reinterpret_cast<HFONT>(SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    // The figures whole at the right, the name in what is left.
    RECT line = box;
    line.bottom = box.top + (box.bottom - box.top) / 2;
    RECT right = line;
    DrawTextW(item.hDC, figures.c_str(), -1, &right, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int figuresWidth = right.right - right.left;
    right = line;
    DrawTextW(item.hDC, figures.c_str(), -1, &right, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    line.right -= figuresWidth + 8;
    DrawTextW(item.hDC, name.c_str(), -1, &line, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(item.hDC, oldFont);
    RECT bar = {box.left, right.bottom + 2, box.right, box.bottom - 2};
    HBRUSH track = CreateSolidBrush(IsDark() ? ColorDarkField : RGB(210, 210, 210));
    FillRect(item.hDC, &bar, track);
    DeleteObject(track);
    const auto at = [&](double db) {
        const double share = std::isfinite(db) ? (db < kSilenceDb ? 0 : db > 0 ? 1 : (db - kSilenceDb) / -kSilenceDb) : 0;
        return bar.left + static_cast<int>(share * (bar.right - bar.left));
    };
    const bool silent = level.Silent();
    RECT mean = bar;
    mean.right = silent ? bar.left + 3 : at(level.mean);
    HBRUSH fill = CreateSolidBrush(silent ? ColorAlertRed : RGB(46, 160, 67));
    FillRect(item.hDC, &mean, fill);
    DeleteObject(fill);
    if (silent) return;
    RECT peak = {at(level.peak) - 1, bar.top, at(level.peak) + 1, bar.bottom};
    HBRUSH mark = CreateSolidBrush(IsDark() ? ColorWhite : RGB(0, 0, 0));
    FillRect(item.hDC, &peak, mark);
    DeleteObject(mark);
}
