// The main window: channel selectors, local recording options, session buttons, side links.
#pragma once
#include "engine/ConversionProcess.h"
#include "engine/EncoderProcess.h"
#include "engine/SessionPlan.h"
#include "ui/dialogs/DemoModeDlg.h"
#include "ui/main/MainWindowHost.h"
#include "ui/theme/ThemedDialog.h"
#include <atomic>
#include <memory>
#include <string>
#include <vector>

struct ComposedCommand;
struct CSessionReport;

// The recording-file field: a read-only edit with a browse button at its right end.
class CBrowseEdit : public CEdit {
public:
    std::wstring m_strDefaultExt = L"mp4";
    std::wstring m_strRememberedPath;
    CButton m_btnBrowse;

    void AddBrowseButton(HWND dialog);
    void Enable(bool on) const;  // the field and its button together
    void OnBrowseButton(HWND owner);
};

class CManageStreamingServerDlg : public CThemedDialog {
public:
    explicit CManageStreamingServerDlg(IMainWindowHost& host);
    ~CManageStreamingServerDlg() override;

    // Session controls.
    void OnStart();
    // The encoder and the capture source checked before a Start; false when it must not go on.
    bool ReadyToStart(const EncoderInputs& line);
    void OnStop();
    // Stop with a chosen wait before the encoder is asked to end (none when Windows is ending).
    void StopSession(DWORD graceMs);
    // The ".mp4" recording made a real MP4 after its session (RecordingSave.cpp).
    void ConvertPendingRecording();          // the one a previous run left, at start-up
    void FinishConversion(DWORD timeoutMs);  // at Exit: one still running then is left for the next start
    void OnClose();
    void MarkChannel(const std::wstring& name, bool chosen);
    void OnChannelChanged(int index);  // 0..3
    // The choices as shown, and what a Start would launch from them now.
    SessionChoices Choices() const;
    SessionPlan CurrentPlan(const EncoderInputs& line) const;
    void ToggleMoreChannels();
    void LoadVideoOptions();
    void OnSaveLocally();
    void OnRecordingPathChanged();
    void OnSeparateFile();

    // Main-window operations.
    void LoadStep();
    void ReloadServers();  // after the server list dialog: the user's choices stay
    void LoadLocalOptions();
    // The [Device] values again, as the hidden media settings wrote them on a first run.
    void ReloadDeviceOptions();
    void SelectStoredChannels();
    void OnShowOrHide(bool shown);
    void OnConfigureChannels();
    void OnMediaSettings();
    void OnHelp();
    void OnMoreInfo();
    void OnOpenReports();  // the folder of the last sessions' redacted reports
    void OnThemeSwitch();

    CComboBox& Channel(int index) { return *m_channels[index]; }

    // What the theme switch carries from the old main window to the new one.
    struct CarriedChoices {
        std::wstring channels[4];
        bool saveLocally = false;
        std::wstring path;
        bool separateFile = false;
    };
    CarriedChoices ChoicesToCarry() const;
    void CarryOver(const CarriedChoices& choices, CManageStreamingServerDlg& old);

    CButton m_btnStart, m_btnStop;
    CBrowseEdit m_editRecordingFile;
    CButton m_chkSaveLocally;
    std::wstring m_strRecordingPath;
    std::wstring m_szSettingsPath;
    std::wstring m_szLocalSettingsPath;
    int m_nOverlayVideoPos = 0;
    int m_nDisableVideo = 0;
    std::wstring m_strVideoDevice;
    int m_nMuteAudio = 0;
    std::wstring m_strAudioDevice;
    CComboBox m_cmbChannel1, m_cmbChannel2, m_cmbChannel3, m_cmbChannel4;
    CStatic m_staticTitle;
    bool m_bMoreChannels = false;
    std::wstring m_strTheme;
    std::wstring m_strVideoFps = L"12";
    CStatic m_linkConfigureChannels, m_linkMediaSettings, m_linkDarkTheme, m_linkHelp, m_linkMoreInfo;
    CStatic m_staticSeparateFile;
    CButton m_chkSeparateFile;
    bool m_bSeparateFile = false;
    int m_nScreenWidth = 0, m_nScreenHeight = 0;
    HBITMAP m_bmpSidebar = nullptr;  // the shown part of the side-panel bitmap

protected:
    BOOL OnInitDialog() override;  // InitializeWindow
    bool OnCommand(int id, int code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnChannel1Changed() { OnChannelChanged(0); }
    void OnChannel2Changed() { OnChannelChanged(1); }
    void OnChannel3Changed() { OnChannelChanged(2); }
    void OnChannel4Changed() { OnChannelChanged(3); }
    void OnSaveLocallyLabel();
    void OnSeparateFileLabel();
    void OnBrowse() { m_editRecordingFile.OnBrowseButton(m_hWnd); }
    void OnLaunchFailed();
    void OnEncoderEnded(WPARAM session, DWORD exitCode);
    void OnSoundLost(WPARAM session);
    // The encoder's report of the running session (SessionStatus.cpp): begun at Start, which
    // launches the encoder with the environment it returns; polled by a timer; ended with the
    // session, returning why it ended as far as the report tells ("" when it does not).
    std::wstring BeginSessionReport(const ComposedCommand& command, bool retrying);
    bool OnReportTimer(WPARAM timer);  // false for a timer of someone else
    void ShowSessionState(bool rewriteStatusLine = false);
    std::wstring EndSessionReport();
    void EnterIdle();
    TrayNotice SaveAfterSession();  // converts the ended session's file; what the tray says meanwhile
    void ConvertRecording(const std::wstring& file);
    void OnConversionDone();
    void LeaveConversion();
    void ShowPlan();  // selectors' offers, Start and the status line as the plan says
    EncoderInputs LineSettings() const;
    void RefreshChannels();
    void LoadDeviceOptions();
    void LoadFilesAndServers();
    void SetStatus(const std::wstring& text) const;
    void SelectByName(CComboBox& combo, const std::wstring& name) const;
    std::wstring ReadDevice(const wchar_t* key, const wchar_t* def = L"") const;

    static const CommandRoute<CManageStreamingServerDlg> kRoutes[];
    static const ThemeException kLook[];
    IMainWindowHost& m_host;
    CComboBox* m_channels[4] = {&m_cmbChannel1, &m_cmbChannel2, &m_cmbChannel3, &m_cmbChannel4};
    CEncoderSession m_session;
    std::wstring m_strSessionNotice;  // how the last session ended by itself, until the next Start
    std::wstring m_strSecondSound;    // the session's "Also record" device, "" for none
    std::unique_ptr<CSessionReport> m_report;
    std::wstring m_strSessionStatus;  // what the report put on the status line
    std::wstring m_strRecordingFailure;  // the ended session's file failed: what to say after Stop
    std::vector<std::wstring> m_sessionServers;  // streamed to by the running session
    CHelpSlideshows m_helpSlideshows;
    std::unique_ptr<CConversionProcess> m_conversion = std::make_unique<CConversionProcess>();
    std::wstring m_strSessionFile;  // the running session's ".mp4" file, converted when it ends
    bool m_bStartAfterSave = false;  // a Start waits for the conversion
};

// The current main window, or null: the one place it is kept.
extern CManageStreamingServerDlg* g_pMainDlg;

// Process-wide session values.
extern std::wstring g_strChannel1, g_strChannel2, g_strChannel3, g_strChannel4;
extern std::wstring g_strRecordingDevice;
extern std::atomic<unsigned char> g_bSessionRunning;

// The remembered server name of channel index 0..3.
std::wstring& ChannelName(int index);

inline constexpr wchar_t kProductSite[] = L"https://vandrel.quillane.com/";
inline constexpr wchar_t kPrivacyHint[] =
    L"Make sure that you allow Vandrel access to camera and microphone from system privacy settings";
