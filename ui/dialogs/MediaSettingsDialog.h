// The media settings dialog: recording mode and sources, audio or mute, overlay camera and its
// corner, frame rate and the default recording format, kept in section "Device".
#pragma once
#include "devices/DeviceNames.h"
#include "engine/Preview.h"
#include "engine/PreviewProcess.h"
#include "ui/theme/ThemedDialog.h"
#include <string>
#include <vector>

// Enables the combo, empties it and adds every video capture device (the combo sorts them).
void FillPrimaryVideoSources(CComboBox& combo);

// What the dialog hands back to the main window once it has closed.
struct MediaSettingsResult {
    int overlayPositionIndex = 0;  // -1 when no corner is selected
    int disableVideo = 0;
    std::wstring overlayVideoDevice;
    int muteAudio = 0;
    std::wstring audioDevice;
    std::wstring recordingDevice;  // the internal sound device found, "" when none
    std::wstring defaultRecordingFormat;
};

// Run modally by the main window and the tray; once created hidden at start-up, never shown.
class CVandrelSettingsDlg : public CThemedDialog {
public:
    CVandrelSettingsDlg();
    ~CVandrelSettingsDlg() override;

    std::wstring themeName;  // set by the opener before showing; "Dark" selects the dark look
    const MediaSettingsResult& Result() const { return m_result; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;  // Apply, also the Enter key
    void OnCancel() override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnRecordingModeChanged();
    void OnMuteAudio();
    void OnAudioDeviceChanged();
    void FillAlsoRecord(const std::wstring& chosen);
    void OnMuteAudioLabel();
    void OnDisableVideo();  // the overlay rule
    void OnDisableVideoLabel();
    void OnReconnectChannelsLabel();
    void OnSoundDevicesLink();
    void OnRecommended();
    // The preview: started from the dialog's choices, shown when the encoder has answered.
    void OnPreview();
    void OnPreviewDone();
    void EndPreview();
    void ShowPreviewIdle();
    void DrawPreview(const DRAWITEMSTRUCT& item) const;
    void DrawLevel(const DRAWITEMSTRUCT& item, size_t input) const;

    std::wstring ReadDevice(const wchar_t* key) const;
    void WriteDevice(const wchar_t* key, const std::wstring& value) const;
    void ShowHotkeyState();
    // The first failing check's message, "" when Apply may go ahead.
    std::wstring CheckChoices() const;

    static const CommandRoute<CVandrelSettingsDlg> kRoutes[];
    static const NotifyRoute<CVandrelSettingsDlg> kNotifyRoutes[];
    static const ThemeException kLook[];

    std::wstring m_szSettingsPath;
    std::vector<DeviceName> m_audioDevices;
    std::vector<DeviceName> m_videoDevices;
    MediaSettingsResult m_result;
    CComboBox m_cmbRecordingMode, m_cmbPrimaryVideoSource, m_cmbAudioDevice, m_cmbOverlayDevice,
        m_cmbOverlayPosition, m_cmbFrameRate, m_cmbRecordingFormat, m_cmbOutputSize, m_cmbAudioCodec,
        m_cmbAlsoRecord;
    CButton m_chkMuteAudio, m_chkDisableVideo, m_chkReconnectChannels;
    CStatic m_staticStereoMixHint, m_staticHotkeyState;
    CEdit m_editHotkey, m_editVideoBitrate;
    CButton m_btnPreview;
    CPreviewProcess m_preview;
    PreviewLine m_previewLine;  // of the preview under way or shown
    std::vector<SoundLevel> m_levels;
    HBITMAP m_previewBitmap = nullptr;
};
