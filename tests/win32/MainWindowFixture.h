// A real main window on prepared settings files, with a scripted user.
#pragma once
#include "TestSupport.h"
#include "app/VandrelApp.h"
#include "config/StreamingServices.h"
#include "resources/resource.h"
#include "ui/main/MainWindow.h"
#include <gtest/gtest.h>
#include <memory>

class MainWindowFixture : public ::testing::Test {
protected:
    // settings.ini and LocalSettings.ini are written before the window is built.
    void Build(const std::wstring& settings, const std::wstring& local = L"") {
        SetEnvironmentVariableW(L"APPDATA", appData.Path().c_str());
        CreateDirectoryW((appData / L"Quillane").c_str(), nullptr);
        CreateDirectoryW((appData / L"Quillane\\Vandrel").c_str(), nullptr);
        WriteTextFile(SettingsIni(), settings);
        if (!local.empty()) WriteTextFile(LocalIni(), local);
        Rebuild();
    }
    // A new start of the application on the files as they are now.
    void Rebuild() {
        theApp.m_pMainDlg = nullptr;
        dlg.reset();
        g_ServerList.clear();
        g_strRecordingDevice.clear();
        g_bSessionRunning = 0;
        dlg = std::make_unique<CManageStreamingServerDlg>(*host);
        theApp.m_pMainDlg = dlg.get();
        ASSERT_TRUE(dlg->Create(nullptr));
        ShowWindow(dlg->Handle(), SW_SHOWNORMAL);
    }
    void TearDown() override {
        theApp.m_pMainDlg = nullptr;
        dlg.reset();
        g_ServerList.clear();
    }

    std::wstring SettingsIni() const { return appData / L"Quillane\\Vandrel\\settings.ini"; }
    std::wstring LocalIni() const { return appData / L"Quillane\\Vandrel\\LocalSettings.ini"; }
    HWND Item(int id) const { return GetDlgItem(dlg->Handle(), id); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)); }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::wstring Status() const { return Text(IDC_STATUS); }
    std::wstring Text(int id) const {
        wchar_t buf[1024] = {};
        GetWindowTextW(Item(id), buf, 1024);
        return buf;
    }
    void Click(int id) const { ClickButton(Item(id)); }
    void ClickLabel(int id) const {
        SendMessageW(dlg->Handle(), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
    }
    // Chooses the item with this text (or the empty one) as a user would.
    void Choose(int channel, const std::wstring& name) const {
        HWND combo = Item(IDC_CHANNEL1 + channel);
        const int index = name.empty() ? 0
            : static_cast<int>(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name.c_str())));
        ASSERT_GE(index, 0) << "no item " << std::string(name.begin(), name.end());
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(dlg->Handle(), WM_COMMAND, MAKEWPARAM(IDC_CHANNEL1 + channel, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    }
    std::vector<std::wstring> Items(int channel) const {
        std::vector<std::wstring> items;
        for (int i = 0; i < dlg->Channel(channel).Count(); ++i) items.push_back(dlg->Channel(channel).ItemText(i));
        return items;
    }
    int InUse(const wchar_t* name) const { return g_ServerList.ServerAt(g_ServerList.FindServerByName(name)).InUse; }
    void TypePath(const std::wstring& path) const { SetWindowTextW(Item(IDC_RECORDING_FILE), path.c_str()); }

    TempFolder appData{L"appdata"};
    IMainWindowHost* host = &theApp;  // what the window is handed
    ScriptedUser user;
    std::unique_ptr<CManageStreamingServerDlg> dlg;
};

inline const std::wstring kThreeServers =
    L"[Device]\r\nAudioDevice=Microphone\r\nVideoDevice=USB Camera\r\nDisableVideo=1\r\nDemoMode=1\r\n"
    L"[Twitch]\r\nRtmpurl=rtmp://live.twitch.example/app\r\nKey=live_1\r\nPort=1935\r\n"
    L"[Studio A]\r\nRtmpurl=rtmp://a.example/live\r\nKey=abc\r\nPort=1935\r\n"
    L"[NoKey]\r\nRtmpurl=rtmp://n.example/live\r\nKey=\r\n"
    L"[Beta]\r\nRtmpurl=rtmp://b.example/live\r\nKey=b1\r\n";
