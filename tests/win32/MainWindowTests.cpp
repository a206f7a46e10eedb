// The main window driven as a user would: selectors, Save Locally, the path check, Start, Close.
#include "MainWindowFixture.h"

namespace {
using Names = std::vector<std::wstring>;
const Names kAll = {L"", L"Beta", L"NoKey", L"Studio A", L"Twitch"};
}  // namespace

TEST_F(MainWindowFixture, OpensWithSortedSelectorsAndIdleButtons) {
    Build(kThreeServers);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Items(i), kAll) << i;
    EXPECT_EQ(Text(IDC_TITLE), L"Vandrel");
    EXPECT_FALSE(Enabled(IDC_START));
    EXPECT_EQ(Status(), L"Please select at least one server");  // why Start is off
    EXPECT_FALSE(Enabled(IDC_STOP));
    EXPECT_FALSE(Enabled(IDC_RECORDING_FILE));
    EXPECT_FALSE(Enabled(IDC_SEPARATE_FILE));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_CHANNEL3)));  // shown by the start-up toggle
    EXPECT_TRUE(IsWindowVisible(dlg->Handle()));
    EXPECT_EQ(dlg->m_strVideoFps, L"12");
    EXPECT_EQ(dlg->m_nDisableVideo, 1);
}

TEST_F(MainWindowFixture, ChoosingAServerMovesItBetweenSelectors) {
    Build(kThreeServers);
    Choose(0, L"Studio A");
    EXPECT_EQ(InUse(L"Studio A"), 1);
    EXPECT_TRUE(Enabled(IDC_START));
    for (int i = 1; i < 4; ++i) EXPECT_EQ(Items(i), (Names{L"", L"Beta", L"NoKey", L"Twitch"})) << i;
    Choose(0, L"Twitch");  // Studio A goes back into its sorted place
    EXPECT_EQ(InUse(L"Studio A"), 0);
    EXPECT_EQ(InUse(L"Twitch"), 1);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(Items(i), (Names{L"", L"Beta", L"NoKey", L"Studio A"})) << i;
    Choose(1, L"Studio A");
    EXPECT_EQ(Items(2), (Names{L"", L"Beta", L"NoKey"}));
    EXPECT_EQ(g_strChannel1, L"Twitch");
    EXPECT_EQ(g_strChannel2, L"Studio A");
    Choose(0, L"");  // the empty item releases; the other channel still makes a session
    EXPECT_EQ(InUse(L"Twitch"), 0);
    EXPECT_TRUE(Enabled(IDC_START));
    EXPECT_EQ(Status(), L"");
    EXPECT_EQ(Items(2), (Names{L"", L"Beta", L"NoKey", L"Twitch"}));
    Choose(1, L"");
    EXPECT_FALSE(Enabled(IDC_START));
    EXPECT_EQ(Status(), L"Please select at least one server");
    EXPECT_EQ(Items(2), kAll);
}

TEST_F(MainWindowFixture, ServerWithoutKeyIsRefusedWithTheSelectorsMessage) {
    Build(kThreeServers);
    Choose(0, L"Twitch");
    Choose(0, L"NoKey");
    EXPECT_EQ(Status(), L"The selected server does not have a valid key, url. Configure by going to Configure channels > Modify.");
    EXPECT_FALSE(Enabled(IDC_START));
    for (int i = 1; i < 4; ++i) EXPECT_FALSE(Enabled(IDC_CHANNEL1 + i));
    EXPECT_EQ(InUse(L"Twitch"), 0);  // no selector shows it any more
    EXPECT_EQ(InUse(L"NoKey"), 0);
    EXPECT_EQ(Items(1), (Names{L"", L"Beta", L"Studio A", L"Twitch"}));  // shown in selector 1, so offered nowhere else
    Choose(0, L"Beta");
    EXPECT_EQ(Status(), L"");
    for (int i = 1; i < 4; ++i) EXPECT_TRUE(Enabled(IDC_CHANNEL1 + i));
    Choose(2, L"NoKey");
    EXPECT_EQ(Status(), L"The selected server does not have a valid key, url. Configure by going to Settings > Modify.");
}

TEST_F(MainWindowFixture, SaveLocallyAndThePathCheck) {
    Build(kThreeServers);
    Click(IDC_SAVE_LOCALLY);
    EXPECT_TRUE(Enabled(IDC_RECORDING_FILE));
    EXPECT_TRUE(Enabled(IDC_SEPARATE_FILE));
    EXPECT_TRUE(Enabled(IDC_SEPARATE_FILE_LABEL));
    EXPECT_EQ(Status(), L"Path must not be Empty");
    EXPECT_FALSE(Enabled(IDC_START));

    const std::wstring refusal = L"CCannot save to the given path. Either the folder does not exist or you do not have the permission to write to the folder ";
    for (const std::wstring& bad : {appData / L"missing\\a.mp4", appData / L"a.avi", appData / L"noext", appData / L"a.", appData.Path() + L"\\"}) {
        TypePath(bad);
        EXPECT_EQ(Status(), refusal) << std::string(bad.begin(), bad.end());
        EXPECT_FALSE(Enabled(IDC_START));
    }
    for (const std::wstring& good : {appData / L"Show.MP4", appData / L"clip.wmv", appData / L".mp4"}) {
        TypePath(good);
        EXPECT_EQ(Status(), L"");
        EXPECT_TRUE(Enabled(IDC_START));
        EXPECT_EQ(dlg->m_strRecordingPath, good);
    }
    EXPECT_NE(ReadWholeFile(SettingsIni()).find(L"Video Local Folder=" + appData / L".mp4"), std::wstring::npos);
    TypePath(L"clip.mp4");  // a bare name is a file of the current folder, stored as typed
    EXPECT_EQ(dlg->m_strRecordingPath, L"clip.mp4");

    Click(IDC_SAVE_LOCALLY);  // unchecked: everything local off; with nothing else chosen, Start off and why
    EXPECT_FALSE(Enabled(IDC_RECORDING_FILE));
    EXPECT_FALSE(Enabled(IDC_START));
    EXPECT_EQ(Status(), L"Please select at least one server");
    TypePath(appData / L"x.avi");  // not checked: the path does not count
    EXPECT_EQ(Status(), L"Please select at least one server");
    ClickLabel(IDC_SAVE_LOCALLY_LABEL);  // the label toggles the box; the shown path is what counts
    EXPECT_TRUE(Checked(IDC_SAVE_LOCALLY));
    EXPECT_FALSE(Enabled(IDC_START));
    EXPECT_EQ(Status(), refusal);
    EXPECT_EQ(dlg->m_strRecordingPath, L"clip.mp4");  // the refused path is never stored
    TypePath(appData / L"x.mp4");
    EXPECT_TRUE(Enabled(IDC_START));
}

TEST_F(MainWindowFixture, SeparateFileNoticeAndFlag) {
    Build(kThreeServers);
    Click(IDC_SAVE_LOCALLY);
    Click(IDC_SEPARATE_FILE);
    EXPECT_TRUE(dlg->m_bSeparateFile);
    ClickLabel(IDC_SEPARATE_FILE_LABEL);
    EXPECT_FALSE(dlg->m_bSeparateFile);
    const auto boxes = user.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"New videos will now be saved with date and time appended to the filename.");
    EXPECT_EQ(boxes[0].type, UINT(MB_OK | MB_ICONINFORMATION));
}

TEST_F(MainWindowFixture, BrowseUsesTheDefaultFormatAndCancelLeavesTheField) {
    Build(kThreeServers + L"[Device]\r\n");
    Click(IDC_SAVE_LOCALLY);
    user.saveAsAnswer = appData / L"chosen.mp4";
    Click(IDC_BROWSE);
    EXPECT_EQ(Text(IDC_RECORDING_FILE), appData / L"chosen.mp4");
    EXPECT_TRUE(Enabled(IDC_START));
    ASSERT_EQ(user.SaveAsRequests().size(), 1u);
    const SaveAsRequest r = user.SaveAsRequests()[0];
    EXPECT_EQ(r.filter, L"MP4 Video File (*.mp4)|*.mp4|Windows Media Video File (*.wmv)|*.wmv|All Files (*.*)|*.*||");
    EXPECT_EQ(r.defaultExt, L"mp4");
    EXPECT_EQ(r.fileName, L"Screen Recording");
    EXPECT_EQ(r.flags, DWORD(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR));
    user.saveAsAnswer.reset();
    Click(IDC_BROWSE);  // cancelled: the field, the stored path and Start stay as they were
    EXPECT_EQ(Text(IDC_RECORDING_FILE), appData / L"chosen.mp4");
    EXPECT_EQ(dlg->m_strRecordingPath, appData / L"chosen.mp4");
    EXPECT_TRUE(Enabled(IDC_START));
    dlg->m_editRecordingFile.m_strDefaultExt = L"WMV";
    TypePath(L"");
    Click(IDC_BROWSE);  // cancelled with an empty field: still empty, nothing invented
    EXPECT_EQ(Text(IDC_RECORDING_FILE), L"");
    EXPECT_FALSE(Enabled(IDC_START));
    EXPECT_EQ(Status(), L"Path must not be Empty");
    EXPECT_EQ(user.SaveAsRequests().back().filter.substr(0, 32), L"Windows Media Video File (*.wmv)");
}

TEST_F(MainWindowFixture, CloseAndShowAgainRestoresTheChoicesWithoutDuplicates) {
    Build(kThreeServers);
    Choose(0, L"Twitch");
    Choose(2, L"Beta");
    Click(IDC_CLOSE);
    EXPECT_FALSE(IsWindowVisible(dlg->Handle()));
    EXPECT_EQ(g_strChannel1, L"Twitch");  // remembered for the next show
    ShowWindow(dlg->Handle(), SW_SHOWNORMAL);
    EXPECT_EQ(InUse(L"Twitch"), 1);
    EXPECT_EQ(InUse(L"Beta"), 1);
    EXPECT_EQ(dlg->Channel(0).SelectedText(), L"Twitch");  // the user's choice, not the stored one
    for (int i : {1, 3}) EXPECT_EQ(Items(i), (Names{L"", L"NoKey", L"Studio A"})) << i;
    EXPECT_TRUE(Enabled(IDC_START));
    // Esc hides the window too, and the application goes on.
    SendMessageW(dlg->Handle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(IsWindowVisible(dlg->Handle()));
}

TEST_F(MainWindowFixture, StoredChoicesAreShownAndInUse) {
    Build(kThreeServers, L"[Server]\r\nChannel1=twitch\r\nChannel2=Gone\r\n[Local]\r\nSaveInLocalPath=1\r\nSaveInSeperateFile=1\r\n");
    EXPECT_EQ(dlg->Channel(0).SelectedText(), L"Twitch");
    EXPECT_EQ(dlg->Channel(1).CurSel(), 0);  // a name that is no longer a server: the empty item
    EXPECT_EQ(InUse(L"Twitch"), 1);
    EXPECT_TRUE(Checked(IDC_SAVE_LOCALLY));
    EXPECT_TRUE(Checked(IDC_SEPARATE_FILE));
    EXPECT_TRUE(dlg->m_bSeparateFile);
    EXPECT_TRUE(Enabled(IDC_RECORDING_FILE));
}

TEST_F(MainWindowFixture, RemovedServerBehindARememberedNameIsNoChoice) {
    Build(kThreeServers);
    Choose(0, L"Twitch");
    Click(IDC_CLOSE);
    g_ServerList.RemoveServerAt(g_ServerList.FindServerByName(L"Twitch"));
    ShowWindow(dlg->Handle(), SW_SHOWNORMAL);  // must not throw or crash
    EXPECT_TRUE(user.Boxes().empty());
    EXPECT_EQ(g_strChannel1, L"");
}

TEST_F(MainWindowFixture, DeviceSettingsReachTheWindow) {
    Build(L"[Device]\r\nOverlayVideoPos=Top Right\r\nMuteAudio=2\r\nDisableVideo=-1\r\nVideoFPS=30\r\nDefaultRecordingFormat=wmv\r\nRecordingDevice=Stereo Mix (X)\r\n"
          L"[Paths]\r\nVideo Local Folder=C:\\v\\a.mp4\r\n");
    EXPECT_EQ(dlg->m_nOverlayVideoPos, 3);
    EXPECT_EQ(dlg->m_nMuteAudio, 1);  // any value but 0 is on
    EXPECT_EQ(dlg->m_nDisableVideo, 1);
    EXPECT_EQ(dlg->m_strVideoFps, L"30");
    EXPECT_EQ(dlg->m_editRecordingFile.m_strDefaultExt, L"wmv");
    EXPECT_EQ(g_strRecordingDevice, L"Stereo Mix (X)");
    EXPECT_EQ(Text(IDC_RECORDING_FILE), L"C:\\v\\a.mp4");
    EXPECT_EQ(dlg->m_strRecordingPath, L"C:\\v\\a.mp4");
    EXPECT_EQ(dlg->m_nScreenWidth, GetSystemMetrics(SM_CXSCREEN));
    TearDown();
    Build(L"[Device]\r\nOverlayVideoPos=top right\r\n");  // case matters: stays Bottom Left
    EXPECT_EQ(dlg->m_nOverlayVideoPos, 0);
}

TEST_F(MainWindowFixture, MoreInfoOpensTheProductSite) {
    Build(kThreeServers);
    ClickLabel(IDC_LINK_MORE_INFO);
    ClickLabel(IDC_ICON_MORE_INFO);
    EXPECT_EQ(user.Opened(), (Names{kProductSite, kProductSite}));
}

TEST(ModalSeam, RunsTheScriptInsideTheDialogAndCancelsWhatItLeavesOpen) {
    ScriptedUser user;
    CDialog dialog(IDD_MAIN);
    std::wstring caption;
    user.OnNextModal([&](HWND h) {
        wchar_t text[64] = {};
        GetWindowTextW(h, text, 64);
        caption = text;
        EndDialog(h, IDOK);
    });
    EXPECT_EQ(UI().RunModal(dialog, nullptr), IDOK);
    EXPECT_EQ(caption, L"Quillane Vandrel");
    EXPECT_EQ(UI().RunModal(dialog, nullptr), IDCANCEL);  // no script: cancelled
    EXPECT_EQ(user.Modals(), (std::vector<int>{IDD_MAIN, IDD_MAIN}));
}
