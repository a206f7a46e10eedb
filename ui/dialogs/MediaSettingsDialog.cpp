// The media settings dialog: initialisation from section "Device", the controls' rules, Apply.
#include "ui/dialogs/MediaSettingsDialog.h"
#include "config/Win32SettingsStore.h"
#include "devices/CaptureDevices.h"
#include "engine/CommandLine.h"
#include "engine/Readiness.h"
#include "resources/MediaSettingsRes.h"
#include "ui/framework/UserInterface.h"
#include "ui/main/MainWindow.h"
#include "ui/main/StartStopHotkey.h"
#include <commctrl.h>
#include <algorithm>
#include <utility>

namespace {

constexpr wchar_t kSection[] = L"Device";
constexpr const wchar_t* kOther = kRecModeOther;
constexpr const wchar_t* kPositions[] = {L"Bottom Left", L"Top Left", L"Bottom Right", L"Top Right"};
constexpr int kBottomRight = 2;
constexpr const wchar_t* kFrameRates[] = {L"5", L"10", L"12", L"15", L"20", L"25", L"30",
                                          L"35", L"40", L"45", L"50", L"55", L"60"};

constexpr wchar_t kSameSource[] =
    L"'Primary Video Source' and 'Overlay Video Device' is not of same Type. Please change one of them or 'Disable Video Overlay'..";
constexpr wchar_t kNoAudio[] = L"Please Select an Audio Device or Mute Audio..";
constexpr wchar_t kNoOverlay[] = L"Please Select an Overlay Video Device or Disable Video Overlay..";
constexpr wchar_t kBadFrameRate[] = L"Please Enter a Video Frame Rate that is a whole number from 1 to 240..";
constexpr wchar_t kNoPrimarySource[] = L"Please Select a Primary Video Source for Recording Mode 'Other'..";
constexpr wchar_t kBadBitrate[] = L"Please Enter a Video Bitrate that is a whole number from 300 to 20000 kbit/s..";
constexpr wchar_t kNoAlsoRecord[] = L"None";
// Below the design's own line, which says how to enable Stereo Mix.
constexpr wchar_t kNoSystemSound[] = L"Or, to also record it: install Screen Capturer Recorder.";
constexpr const wchar_t* kOutputSizes[] = {L"Screen", L"1080p", L"720p", L"480p"};
constexpr const wchar_t* kAudioCodecs[] = {L"MP3", L"AAC"};
constexpr wchar_t kOverlayOrImage[] = L"You can only choose an overlay video or image at a time";

std::wstring QuoteInName(const std::wstring& name) {
    return L"The Device \"" + name +
           L"\" has a double quote in its name, which cannot be passed to the encoder. Please Select another Device..";
}

// Selects the item equal to value, letter case ignored, searching after the first item and
// wrapping to it last; no selection when there is none.
bool SelectStored(const CComboBox& combo, const std::wstring& value) {
    const LRESULT index = SendMessageW(combo.Handle(), CB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    combo.SetCurSel(index == CB_ERR ? -1 : static_cast<int>(index));
    return index != CB_ERR;
}

const wchar_t* Flag(bool on) { return on ? L"1" : L"0"; }

}  // namespace

void FillPrimaryVideoSources(CComboBox& combo) {
    combo.Enable(true);
    SendMessageW(combo.Handle(), CB_RESETCONTENT, 0, 0);
    for (const DeviceName& name : EnumerateCaptureDevices(kVideoInputDeviceCategory)) combo.AddString(name);
}

const CommandRoute<CVandrelSettingsDlg> CVandrelSettingsDlg::kRoutes[] = {
    {IDC_RECORDING_MODE, CBN_SELCHANGE, &CVandrelSettingsDlg::OnRecordingModeChanged},
    {IDC_MUTE_AUDIO, BN_CLICKED, &CVandrelSettingsDlg::OnMuteAudio},
    {IDC_MUTE_AUDIO_LABEL, STN_CLICKED, &CVandrelSettingsDlg::OnMuteAudioLabel},
    {IDC_AUDIO_DEVICE, CBN_SELCHANGE, &CVandrelSettingsDlg::OnAudioDeviceChanged},
    {IDC_DISABLE_VIDEO, BN_CLICKED, &CVandrelSettingsDlg::OnDisableVideo},
    {IDC_DISABLE_VIDEO_LABEL, STN_CLICKED, &CVandrelSettingsDlg::OnDisableVideoLabel},
    {IDC_SETTINGS_CLOSE, BN_CLICKED, &CVandrelSettingsDlg::OnCancel},
    {IDC_RECONNECT_CHANNELS_LABEL, STN_CLICKED, &CVandrelSettingsDlg::OnReconnectChannelsLabel},
    {IDC_RECOMMENDED, BN_CLICKED, &CVandrelSettingsDlg::OnRecommended},
    {IDC_PREVIEW, BN_CLICKED, &CVandrelSettingsDlg::OnPreview},
};

const NotifyRoute<CVandrelSettingsDlg> CVandrelSettingsDlg::kNotifyRoutes[] = {
    {IDC_SOUND_DEVICES_LINK, NM_CLICK, &CVandrelSettingsDlg::OnSoundDevicesLink},
};

const ThemeException CVandrelSettingsDlg::kLook[] = {
    {IDC_STEREO_MIX_HINT, ThemeRole::Alert},
    {IDC_HOTKEY_STATE, ThemeRole::Alert},
    {IDC_PREVIEW_HINT, ThemeRole::Alert},
    {IDOK, ThemeRole::FlatButton},
};

CVandrelSettingsDlg::CVandrelSettingsDlg() : CThemedDialog(IDD_MEDIA_SETTINGS, kLook) {
    SetRoutes(kRoutes);
    SetRoutes(kNotifyRoutes);
    // The hyperlink's window class, which the start-up registration does not include.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LINK_CLASS};
    InitCommonControlsEx(&icc);
    m_szSettingsPath = SettingsFilePath(AppDataFolder(), kSettingsIni);
}

CVandrelSettingsDlg::~CVandrelSettingsDlg() {
    EndPreview();
    Destroy();
}

std::wstring CVandrelSettingsDlg::ReadDevice(const wchar_t* key) const {
    return Settings().GetString(m_szSettingsPath, kSection, key, L"");
}

void CVandrelSettingsDlg::WriteDevice(const wchar_t* key, const std::wstring& value) const {
    Settings().WriteString(m_szSettingsPath, kSection, key, value.c_str());
}

BOOL CVandrelSettingsDlg::OnInitDialog() {
    Bind(m_cmbRecordingMode, IDC_RECORDING_MODE);
    Bind(m_cmbPrimaryVideoSource, IDC_PRIMARY_VIDEO_SOURCE);
    Bind(m_cmbAudioDevice, IDC_AUDIO_DEVICE);
    Bind(m_cmbOverlayDevice, IDC_OVERLAY_DEVICE);
    Bind(m_cmbOverlayPosition, IDC_OVERLAY_POSITION);
    Bind(m_cmbFrameRate, IDC_FRAME_RATE);
    Bind(m_cmbRecordingFormat, IDC_RECORDING_FORMAT);
    Bind(m_chkMuteAudio, IDC_MUTE_AUDIO);
    Bind(m_chkDisableVideo, IDC_DISABLE_VIDEO);
    Bind(m_chkReconnectChannels, IDC_RECONNECT_CHANNELS);
    Bind(m_staticStereoMixHint, IDC_STEREO_MIX_HINT);
    Bind(m_editHotkey, IDC_HOTKEY);
    Bind(m_staticHotkeyState, IDC_HOTKEY_STATE);
    Bind(m_editVideoBitrate, IDC_VIDEO_BITRATE);
    Bind(m_cmbOutputSize, IDC_OUTPUT_SIZE);
    Bind(m_cmbAudioCodec, IDC_AUDIO_CODEC);
    Bind(m_cmbAlsoRecord, IDC_ALSO_RECORD);
    Bind(m_btnPreview, IDC_PREVIEW);
    ShowPreviewIdle();
    for (const wchar_t* size : kOutputSizes) m_cmbOutputSize.AddString(size);
    for (const wchar_t* codec : kAudioCodecs) m_cmbAudioCodec.AddString(codec);
    for (const wchar_t* mode : {kRecModeDesktop, kRecModeBuiltIn, kOther}) m_cmbRecordingMode.AddString(mode);
    for (const wchar_t* position : kPositions) m_cmbOverlayPosition.AddString(position);
    for (const wchar_t* rate : kFrameRates) m_cmbFrameRate.AddString(rate);
    for (const wchar_t* format : {L"wmv", L"mp4"}) m_cmbRecordingFormat.AddString(format);

    // 1. Devices.
    m_audioDevices = ListAudioInputDevices();

    // 2. Recording mode.
    if (ReadDevice(L"RecMode") == kOther) {
        m_cmbRecordingMode.SetCurSel(m_cmbRecordingMode.FindExact(kOther));
        const std::wstring primary = ReadDevice(L"PrimaryVidSrc");
        FillPrimaryVideoSources(m_cmbPrimaryVideoSource);
        SelectStored(m_cmbPrimaryVideoSource, primary);
    } else {
        // The built-in capture as stored; anything else is "Desktop". Neither takes a source.
        const int builtIn = m_cmbRecordingMode.FindExact(kRecModeBuiltIn);
        m_cmbRecordingMode.SetCurSel(ReadDevice(L"RecMode") == kRecModeBuiltIn ? builtIn : m_cmbRecordingMode.FindExact(kRecModeDesktop));
    }

    // 3, 4. Stored devices and the two check boxes.
    const std::wstring audioDevice = ReadDevice(L"AudioDevice");
    const std::wstring videoDevice = ReadDevice(L"VideoDevice");
    // Any value but 0 is on, as the main window reads it.
    m_chkMuteAudio.SetCheck(Settings().GetInt(m_szSettingsPath, kSection, L"MuteAudio", 1) != 0);
    m_chkDisableVideo.SetCheck(Settings().GetInt(m_szSettingsPath, kSection, L"DisableVideo", 1) != 0);

    // 5. Overlay corner, by exact text.
    const std::wstring position = ReadDevice(L"OverlayVideoPos");
    m_cmbOverlayPosition.SetCurSel(-1);
    for (int i = 0; i < 4; ++i)
        if (position == kPositions[i]) m_cmbOverlayPosition.SetCurSel(i);

    // 6. Default recording format, as the main window holds it.
    m_result.defaultRecordingFormat = g_pMainDlg ? g_pMainDlg->m_editRecordingFile.m_strDefaultExt : L"mp4";
    m_cmbRecordingFormat.SetCurSel(m_result.defaultRecordingFormat == L"wmv" ? 0 : 1);

    // 7. Overlay rule, then the audio combo follows Mute.
    OnDisableVideo();
    OnMuteAudio();

    // 8. Audio combo: the internal sound device is remembered, not offered.
    const AudioDeviceSplit audio = SplitAudioDevices(m_audioDevices);
    for (const DeviceName& name : audio.offered) m_cmbAudioDevice.AddString(name);
    m_result.recordingDevice = audio.recordingDevice;
    SelectStored(m_cmbAudioDevice, audioDevice);
    FillAlsoRecord(ReadDevice(L"AlsoRecord"));
    if (std::none_of(m_audioDevices.begin(), m_audioDevices.end(), SystemSoundDevice))
        m_staticStereoMixHint.SetText(m_staticStereoMixHint.Text() + L"\r\n" + kNoSystemSound);

    // 9. Overlay devices.
    m_videoDevices = ListVideoInputDevices();
    for (const DeviceName& name : m_videoDevices) m_cmbOverlayDevice.AddString(name);
    SelectStored(m_cmbOverlayDevice, videoDevice);

    // 10. Frame rate; a typed value stays as stored, so that Apply keeps it.
    const std::wstring fps = ReadDevice(L"VideoFPS");
    if (fps.empty())
        SelectStored(m_cmbFrameRate, L"12");
    else if (!SelectStored(m_cmbFrameRate, fps))
        m_cmbFrameRate.SetText(fps);

    m_chkReconnectChannels.SetCheck(Settings().GetInt(m_szSettingsPath, kSection, L"ReconnectChannels", 0) == 1);
    // Stream quality as stored; a hand-edited value the lists do not hold shows as the default,
    // the bitrate as typed (Apply refuses it).
    const std::wstring bitrate = ReadDevice(L"VideoBitrate");
    m_editVideoBitrate.SetText(bitrate.empty() ? std::to_wstring(kDefaultVideoBitrate) : bitrate);
    const int height = OutputHeightOf(ReadDevice(L"OutputSize"));
    m_cmbOutputSize.SetCurSel(0);
    for (int i = 1; i < static_cast<int>(std::size(kOutputSizes)); ++i)
        if (height == OutputHeightOf(kOutputSizes[i])) m_cmbOutputSize.SetCurSel(i);
    m_cmbAudioCodec.SetCurSel(AacOf(ReadDevice(L"AudioCodec")) == 1 ? 1 : 0);
    // The hotkey as it reads back; a key the system refused says so beside it.
    const std::wstring hotkey = ReadDevice(L"StartStopHotkey");
    const ParsedHotkey parsed = ParseHotkey(hotkey);
    m_editHotkey.SetText(parsed.result == HotkeyParse::Ok ? HotkeyText(parsed.hotkey) : hotkey);
    ShowHotkeyState();

    // 11, 12. First use: muted, and the defaults written before the user does anything.
    if (audioDevice.empty()) {
        m_chkMuteAudio.SetCheck(true);
        OnMuteAudio();
        WriteDevice(L"AudioDevice", m_cmbAudioDevice.Text());
        WriteDevice(L"VideoDevice", videoDevice);
        WriteDevice(L"MuteAudio", Flag(m_chkMuteAudio.IsChecked()));
        WriteDevice(L"DisableVideo", Flag(m_chkDisableVideo.IsChecked()));
        WriteDevice(L"OverlayVideoPos", m_cmbOverlayPosition.Text());
        m_result.audioDevice = m_cmbAudioDevice.Text();
    } else {
        m_result.audioDevice = audioDevice;
    }

    // 13. Look.
    ApplyTheme(themeName);

    // 14. An overlay image excludes the overlay video.
    if (Settings().GetInt(m_szSettingsPath, L"Paths", L"EnableOverlayImage", 0) == 1) {
        m_chkDisableVideo.Enable(false);
        m_staticStereoMixHint.SetText(m_staticStereoMixHint.Text() + L"\r\n" + kOverlayOrImage);
    } else {
        m_chkDisableVideo.Enable(true);
    }

    // 15. Results as loaded.
    m_result.disableVideo = m_chkDisableVideo.IsChecked();
    m_result.muteAudio = m_chkMuteAudio.IsChecked();
    m_result.overlayPositionIndex = m_cmbOverlayPosition.CurSel();
    m_result.overlayVideoDevice = videoDevice;
    return TRUE;
}

void CVandrelSettingsDlg::OnRecordingModeChanged() {
    if (m_cmbRecordingMode.SelectedText() == kOther)
        FillPrimaryVideoSources(m_cmbPrimaryVideoSource);
    else
        m_cmbPrimaryVideoSource.Enable(false);
}

void CVandrelSettingsDlg::ShowHotkeyState() {
    const bool refused = !StartStopHotkey().Refused().empty() &&
                         StartStopHotkey().Refused() == HotkeyText(ParseHotkey(m_editHotkey.Text()).hotkey);
    m_staticHotkeyState.SetText(refused ? L"in use by another program" : L"");
}

void CVandrelSettingsDlg::OnMuteAudio() {
    m_cmbAudioDevice.Enable(!m_chkMuteAudio.IsChecked());
    m_cmbAlsoRecord.Enable(!m_chkMuteAudio.IsChecked());
}

// "None", then every audio device but the chosen one; chosen is kept when still offered.
void CVandrelSettingsDlg::FillAlsoRecord(const std::wstring& chosen) {
    SendMessageW(m_cmbAlsoRecord.Handle(), CB_RESETCONTENT, 0, 0);
    m_cmbAlsoRecord.AddString(kNoAlsoRecord);
    for (const DeviceName& name : AlsoRecordOffers(m_audioDevices, m_cmbAudioDevice.Text())) m_cmbAlsoRecord.AddString(name);
    const int at = chosen.empty() ? 0 : m_cmbAlsoRecord.FindExact(chosen);
    m_cmbAlsoRecord.SetCurSel(at < 0 ? 0 : at);
}

void CVandrelSettingsDlg::OnAudioDeviceChanged() {
    const int at = m_cmbAlsoRecord.CurSel();
    FillAlsoRecord(at > 0 ? m_cmbAlsoRecord.Text() : L"");
}

void CVandrelSettingsDlg::OnMuteAudioLabel() {
    m_chkMuteAudio.SetCheck(!m_chkMuteAudio.IsChecked());
    OnMuteAudio();
}

void CVandrelSettingsDlg::OnDisableVideo() {
    const bool disabled = m_chkDisableVideo.IsChecked();
    m_cmbOverlayDevice.Enable(!disabled);
    m_cmbOverlayPosition.Enable(!disabled);
    if (!disabled && m_cmbOverlayPosition.CurSel() < 0) m_cmbOverlayPosition.SetCurSel(kBottomRight);
}

void CVandrelSettingsDlg::OnDisableVideoLabel() {
    m_chkDisableVideo.SetCheck(!m_chkDisableVideo.IsChecked());  // also while the box is locked
    OnDisableVideo();
}

void CVandrelSettingsDlg::OnReconnectChannelsLabel() {
    m_chkReconnectChannels.SetCheck(!m_chkReconnectChannels.IsChecked());
}

void CVandrelSettingsDlg::OnSoundDevicesLink() { UI().ShellOpen(m_hWnd, L"mmsys.cpl"); }

// Close, Esc and the window's own close button.
void CVandrelSettingsDlg::OnCancel() {
    EndPreview();
    EndDialog(IDCANCEL);
}

// What the platforms ask for a stream; set in the dialog only, Apply stores it.
void CVandrelSettingsDlg::OnRecommended() {
    if (!SelectStored(m_cmbFrameRate, L"30")) m_cmbFrameRate.SetText(L"30");
    m_cmbOutputSize.SetCurSel(2);  // 720p
    m_editVideoBitrate.SetText(L"3000");
    m_cmbAudioCodec.SetCurSel(1);  // AAC
}

std::wstring CVandrelSettingsDlg::CheckChoices() const {
    const bool other = m_cmbRecordingMode.Text() == kOther;
    const bool overlay = !m_chkDisableVideo.IsChecked();
    const bool sound = !m_chkMuteAudio.IsChecked();
    const std::wstring audio = m_cmbAudioDevice.Text();
    const std::wstring video = m_cmbOverlayDevice.Text();
    const std::wstring primary = m_cmbPrimaryVideoSource.Text();
    if (other && primary.empty()) return kNoPrimarySource;
    if (other && overlay && primary == video) return kSameSource;
    if (sound && audio.empty()) return kNoAudio;
    if (overlay && video.empty()) return kNoOverlay;
    if (!AcceptedFrameRate(m_cmbFrameRate.Text())) return kBadFrameRate;
    if (m_editVideoBitrate.Text().empty() || VideoBitrateOf(m_editVideoBitrate.Text()) == 0) return kBadBitrate;
    // The encoder gets each name between double quotes: one inside would end it early.
    const std::pair<bool, const std::wstring*> used[] = {{other, &primary}, {sound, &audio}, {overlay, &video}};
    for (const auto& [inUse, name] : used)
        if (inUse && !PassableDeviceName(*name)) return QuoteInName(*name);
    return L"";
}

void CVandrelSettingsDlg::OnOK() {
    EndPreview();
    if (const std::wstring refusal = CheckChoices(); !refusal.empty()) {
        UI().MessageBox(m_hWnd, refusal, MB_OK | MB_ICONWARNING);
        return;
    }
    const ParsedHotkey hotkey = ParseHotkey(m_editHotkey.Text());
    if (hotkey.result != HotkeyParse::Ok) {
        UI().MessageBox(m_hWnd, HotkeyRefusal(hotkey.result, m_editHotkey.Text()), MB_OK | MB_ICONWARNING);
        return;
    }
    // "Desktop" without the screen-capture filter cannot record: offer the built-in capture.
    if (m_cmbRecordingMode.Text() == kRecModeDesktop && !ScreenCaptureFilterRegistered() &&
        UI().MessageBox(m_hWnd, CaptureReadinessMessage(CaptureReadiness::NoScreenFilter, L""), MB_YESNO | MB_ICONQUESTION) == IDYES)
        m_cmbRecordingMode.SetCurSel(m_cmbRecordingMode.FindExact(kRecModeBuiltIn));
    // The whole section is written anew: keys that Apply does not own go.
    Settings().WriteString(m_szSettingsPath, kSection, nullptr, nullptr);
    WriteDevice(L"AudioDevice", m_cmbAudioDevice.Text());
    WriteDevice(L"VideoDevice", m_cmbOverlayDevice.Text());
    WriteDevice(L"MuteAudio", Flag(m_chkMuteAudio.IsChecked()));
    WriteDevice(L"DisableVideo", Flag(m_chkDisableVideo.IsChecked()));
    WriteDevice(L"Theme", themeName);
    WriteDevice(L"RecMode", m_cmbRecordingMode.Text());
    WriteDevice(L"PrimaryVidSrc", m_cmbPrimaryVideoSource.Text());
    WriteDevice(L"OverlayVideoPos", m_cmbOverlayPosition.Text());
    WriteDevice(L"VideoFPS", m_cmbFrameRate.Text());
    WriteDevice(L"RecordingDevice", m_result.recordingDevice);
    WriteDevice(L"DefaultRecordingFormat", m_cmbRecordingFormat.Text());
    WriteDevice(L"ReconnectChannels", Flag(m_chkReconnectChannels.IsChecked()));
    WriteDevice(L"VideoBitrate", std::to_wstring(VideoBitrateOf(m_editVideoBitrate.Text())));
    WriteDevice(L"OutputSize", m_cmbOutputSize.Text());
    WriteDevice(L"AudioCodec", m_cmbAudioCodec.Text());
    WriteDevice(L"AlsoRecord", m_cmbAlsoRecord.CurSel() > 0 ? m_cmbAlsoRecord.Text() : L"");
    if (hotkey.hotkey.virtualKey) WriteDevice(L"StartStopHotkey", HotkeyText(hotkey.hotkey));
    m_editHotkey.SetText(HotkeyText(hotkey.hotkey));
    if (!StartStopHotkey().Register(HotkeyText(hotkey.hotkey)) && StartStopHotkey().FirstRefusalOf(StartStopHotkey().Refused()))
        UI().MessageBox(m_hWnd, HotkeyInUseMessage(hotkey.hotkey), MB_OK | MB_ICONWARNING);
    ShowHotkeyState();

    m_result.defaultRecordingFormat = m_cmbRecordingFormat.Text();
    m_result.overlayVideoDevice = m_cmbOverlayDevice.Text();
    m_result.audioDevice = m_cmbAudioDevice.Text();
    m_result.overlayPositionIndex = m_cmbOverlayPosition.CurSel();
    m_result.disableVideo = m_chkDisableVideo.IsChecked();
    m_result.muteAudio = m_chkMuteAudio.IsChecked();
    // The first-run help does not open by itself any more.
    WriteDevice(L"DemoMode", std::to_wstring(1));
    EndDialog(IDOK);
}
