// The server list dialog and the credentials editor, opened from the main window and driven as a user would.
#include "MainWindowFixture.h"
#include "ui/dialogs/CredentialsEditor.h"
#include "ui/dialogs/ServerListDialog.h"
#include "ui/theme/Theme.h"

namespace {
using Names = std::vector<std::wstring>;

std::wstring TextOf(HWND w) {
    wchar_t buf[512] = {};
    GetWindowTextW(w, buf, 512);
    return buf;
}
void Type(HWND dlg, int id, const std::wstring& text) { SetDlgItemTextW(dlg, id, text.c_str()); }
void Press(HWND dlg, int id) { ClickButton(GetDlgItem(dlg, id)); }
bool On(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)); }
HWND List(HWND dlg) { return GetDlgItem(dlg, IDC_SERVERS_LIST); }

std::wstring Cell(HWND dlg, int row, int column) {
    wchar_t buf[512] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf;
    item.cchTextMax = 512;
    SendMessageW(List(dlg), LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buf;
}
Names Rows(HWND dlg) {
    Names names;
    for (int row = 0; row < ListView_GetItemCount(List(dlg)); ++row) names.push_back(Cell(dlg, row, 0));
    return names;
}
// A click on a row through the list's own mouse messages; with Ctrl it adds to the selection.
void ClickRow(HWND dlg, const std::wstring& name, bool ctrl = false) {
    const Names rows = Rows(dlg);
    const int row = static_cast<int>(std::find(rows.begin(), rows.end(), name) - rows.begin());
    RECT rc{LVIR_LABEL, 0, 0, 0};
    SendMessageW(List(dlg), LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc));
    const LPARAM at = MAKELPARAM(rc.left + 4, (rc.top + rc.bottom) / 2);
    SendMessageW(List(dlg), WM_LBUTTONDOWN, MK_LBUTTON | (ctrl ? MK_CONTROL : 0), at);
    SendMessageW(List(dlg), WM_LBUTTONUP, ctrl ? MK_CONTROL : 0, at);
}
// A key press that goes through the dialog's own loop, as typed.
void Key(HWND dlg, HWND to, WPARAM key) {
    SetFocus(to);
    PostMessageW(to, WM_KEYDOWN, key, 1);
    PostMessageW(to, WM_KEYUP, key, 0xC0000001);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
        if (!IsDialogMessageW(dlg, &m)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
}

const std::wstring kServers =
    L"[Device]\r\nAudioDevice=Microphone\r\nVideoDevice=USB Camera\r\nDemoMode=1\r\n"
    L"[Twitch]\r\nRtmpurl=rtmp://live.twitch.example/app\r\nKey=live_1\r\nPort=1935\r\n"
    L"[Studio A]\r\nRtmpurl=rtmp://a.example/live\r\nKey=abc\r\nPort=1935\r\nPersistent=1\r\n"
    L"[YouTube]\r\nRtmpurl=rtmp://y.example/live2\r\nKey=y1\r\n"
    L"[Beta]\r\nRtmpurl=rtmp://b.example/live\r\nKey=b1\r\n";
}  // namespace

class ServerDialogs : public MainWindowFixture {
protected:
    void OpenServers(std::function<void(HWND)> script) {
        user.OnNextModal(std::move(script));
        ClickLabel(IDC_LINK_CONFIGURE);
    }
    bool HasSection(const std::wstring& block) { return ReadWholeFile(SettingsIni()).find(block) != std::wstring::npos; }
};

TEST_F(ServerDialogs, AddPutsTheServerOnTopInTheFileAndInEverySelector) {
    Build(kServers);
    OpenServers([&](HWND d) {
        EXPECT_EQ(Rows(d), (Names{L"Beta", L"YouTube", L"Studio A", L"Twitch"}));  // last loaded first
        EXPECT_FALSE(On(d, IDC_SERVERS_OK));
        user.OnNextModal([](HWND e) {
            Type(e, IDC_CREDENTIALS_NAME, L"Zeta");
            Type(e, IDC_CREDENTIALS_URL, L"rtmp://z.example/live");
            Type(e, IDC_CREDENTIALS_KEY, L"z1");
            Press(e, IDC_CREDENTIALS_APPLY);  // the port was never touched
        });
        Press(d, IDC_SERVERS_ADD);
        EXPECT_EQ(Rows(d).front(), L"Zeta");
        EXPECT_EQ(Cell(d, 0, 2), L"");
        EXPECT_TRUE(On(d, IDC_SERVERS_OK));
        for (int i = 0; i < 4; ++i) EXPECT_GE(dlg->Channel(i).FindExact(L"Zeta"), 0) << i;
        Press(d, IDCANCEL);  // Close keeps what was added
    });
    EXPECT_EQ(user.Modals(), (std::vector<int>{IDD_SERVER_LIST, IDD_EDIT_CREDENTIALS}));
    EXPECT_TRUE(HasSection(L"[Zeta]\r\nRtmpurl=rtmp://z.example/live\r\nPort=\r\nKey=z1\r\nPersistent=0\r\n"));
    EXPECT_EQ(g_ServerList.ServerAt(g_ServerList.FindServerByName(L"Zeta")).Port, 0);
}

TEST_F(ServerDialogs, AServiceFillsTheAddressAndAnAddressThePlatformRefusesIsHeldBack) {
    Build(kServers);
    std::wstring filled, hint, service, stored;
    bool applyOn = true;
    OpenServers([&](HWND d) {
        user.OnNextModal([&](HWND e) {
            HWND combo = GetDlgItem(e, IDC_CREDENTIALS_SERVICE);
            SendMessageW(combo, CB_SETCURSEL, SendMessageW(combo, CB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(L"Facebook Live")), 0);
            SendMessageW(e, WM_COMMAND, MAKEWPARAM(IDC_CREDENTIALS_SERVICE, CBN_SELCHANGE), LPARAM(combo));
            filled = TextOf(GetDlgItem(e, IDC_CREDENTIALS_URL));
            Type(e, IDC_CREDENTIALS_URL, L"rtmp://live-api-s.facebook.com/rtmp");
            hint = TextOf(GetDlgItem(e, IDC_CREDENTIALS_HINT));
            service = TextOf(combo);  // no service's own address any more
            Type(e, IDC_CREDENTIALS_NAME, L"FB");
            Type(e, IDC_CREDENTIALS_KEY, L"fb1");
            applyOn = On(e, IDC_CREDENTIALS_APPLY);
            Type(e, IDC_CREDENTIALS_URL, L"RTMPS://live-api-s.facebook.com:443/rtmp");
            stored = TextOf(combo);
            Press(e, IDC_CREDENTIALS_APPLY);
        });
        Press(d, IDC_SERVERS_ADD);
        Press(d, IDC_SERVERS_OK);
    });
    EXPECT_EQ(filled, L"rtmps://live-api-s.facebook.com:443/rtmp");
    EXPECT_EQ(hint, L"Facebook Live takes only RTMPS: use rtmps://live-api-s.facebook.com:443/rtmp.");
    EXPECT_EQ(service, L"Custom");
    EXPECT_FALSE(applyOn);
    EXPECT_EQ(stored, L"Facebook Live");  // the address is the service's, whatever its case
    EXPECT_TRUE(HasSection(L"[FB]\r\nRtmpurl=RTMPS://live-api-s.facebook.com:443/rtmp\r\n"));
}

TEST_F(ServerDialogs, ModifyOfAPersistentServerKeepsItPersistentAndCancelCommitsNothing) {
    Build(kServers);
    OpenServers([&](HWND d) {
        ClickRow(d, L"Studio A");
        EXPECT_TRUE(On(d, IDC_SERVERS_MODIFY));
        EXPECT_FALSE(On(d, IDC_SERVERS_REMOVE));
        user.OnNextModal([](HWND e) {
            Type(e, IDC_CREDENTIALS_KEY, L"changed");
            Press(e, IDC_CREDENTIALS_CANCEL);
        });
        Press(d, IDC_SERVERS_MODIFY);
        EXPECT_EQ(g_ServerList.ServerAt(g_ServerList.FindServerByName(L"Studio A")).Key, L"abc");
        user.OnNextModal([](HWND e) {
            EXPECT_FALSE(On(e, IDC_CREDENTIALS_NAME));
            EXPECT_FALSE(On(e, IDC_CREDENTIALS_URL));
            EXPECT_EQ(GetFocus(), GetDlgItem(e, IDC_CREDENTIALS_KEY));  // not left in a locked field
            EXPECT_EQ(TextOf(GetDlgItem(e, IDC_CREDENTIALS_PORT)), L"1935");
            Type(e, IDC_CREDENTIALS_KEY, L"new key ");
            EXPECT_EQ(TextOf(GetDlgItem(e, IDC_CREDENTIALS_HINT)), L"The key cannot be empty.");
            EXPECT_TRUE(On(e, IDC_CREDENTIALS_APPLY));  // the persistent rule
            Type(e, IDC_CREDENTIALS_KEY, L"new-key");
            Press(e, IDC_CREDENTIALS_APPLY);
        });
        Press(d, IDC_SERVERS_MODIFY);
        EXPECT_EQ(Cell(d, 2, 3), L"\u2022\u2022\u2022\u2022\u2022\u2022\u2022");  // masked: too short to show its end
        Press(d, IDC_SERVERS_OK);
    });
    EXPECT_TRUE(HasSection(L"[Studio A]\r\nRtmpurl=rtmp://a.example/live\r\nPort=1935\r\nKey=new-key\r\nPersistent=1\r\n"));
    const CStreamingServices& s = g_ServerList.ServerAt(g_ServerList.FindServerByName(L"Studio A"));
    EXPECT_EQ(s.Persistent, 1);
    EXPECT_EQ(s.Key, L"new-key");
}

TEST_F(ServerDialogs, KeysStayMaskedInTheListAndInTheEditorUntilShown) {
    Build(L"[Device]\r\nDemoMode=1\r\n[Main]\r\nRtmpurl=rtmp://m.example/live\r\nKey=live_8h2k93jdq7xp\r\n"
          L"[Short]\r\nRtmpurl=rtmp://s.example/live\r\nKey=abc\r\n");
    const auto masked = [](HWND e) { return SendDlgItemMessageW(e, IDC_CREDENTIALS_KEY, EM_GETPASSWORDCHAR, 0, 0) != 0; };
    OpenServers([&](HWND d) {
        EXPECT_EQ(Rows(d), (Names{L"Short", L"Main"}));
        EXPECT_EQ(Cell(d, 1, 3), std::wstring(13, L'\u2022') + L"q7xp");
        EXPECT_EQ(Cell(d, 0, 3), L"\u2022\u2022\u2022");
        ClickRow(d, L"Main");
        user.OnNextModal([&](HWND e) {
            EXPECT_EQ(TextOf(GetDlgItem(e, IDC_CREDENTIALS_KEY)), L"live_8h2k93jdq7xp");  // the record's, to edit
            EXPECT_TRUE(masked(e));
            EXPECT_EQ(IsDlgButtonChecked(e, IDC_CREDENTIALS_SHOW_KEY), BST_UNCHECKED);
            SendMessageW(e, WM_COMMAND, MAKEWPARAM(IDC_CREDENTIALS_SHOW_KEY_LABEL, STN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(e, IDC_CREDENTIALS_SHOW_KEY_LABEL)));
            EXPECT_FALSE(masked(e));
            Press(e, IDC_CREDENTIALS_SHOW_KEY);
            EXPECT_TRUE(masked(e));
            Press(e, IDC_CREDENTIALS_SHOW_KEY);
            EXPECT_FALSE(masked(e));
            Type(e, IDC_CREDENTIALS_KEY, L"live_newkey_0042");
            Press(e, IDC_CREDENTIALS_APPLY);
        });
        Press(d, IDC_SERVERS_MODIFY);
        EXPECT_EQ(Cell(d, 1, 3), std::wstring(12, L'\u2022') + L"0042");
        user.OnNextModal([&](HWND e) {  // shown last time: masked again on opening
            EXPECT_TRUE(masked(e));
            EXPECT_EQ(IsDlgButtonChecked(e, IDC_CREDENTIALS_SHOW_KEY), BST_UNCHECKED);
            Press(e, IDC_CREDENTIALS_CANCEL);
        });
        Press(d, IDC_SERVERS_MODIFY);
        Press(d, IDC_SERVERS_OK);
    });
    EXPECT_TRUE(HasSection(L"[Main]\r\nRtmpurl=rtmp://m.example/live\r\nPort=0\r\nKey=live_newkey_0042\r\nPersistent=0\r\n"));
}

TEST_F(ServerDialogs, RemoveTakesEverySelectedOrdinaryServerAndKeepsThePersistentOne) {
    Build(kServers);
    OpenServers([&](HWND d) {
        ClickRow(d, L"Beta");
        ClickRow(d, L"YouTube", true);
        ClickRow(d, L"Studio A", true);
        EXPECT_TRUE(On(d, IDC_SERVERS_REMOVE));
        Press(d, IDC_SERVERS_REMOVE);
        EXPECT_EQ(Rows(d), (Names{L"Studio A", L"Twitch"}));
        for (int i = 0; i < 4; ++i) EXPECT_EQ(Items(i), (Names{L"", L"Studio A", L"Twitch"})) << i;
        EXPECT_TRUE(On(d, IDC_SERVERS_OK));
    });
    EXPECT_FALSE(HasSection(L"[Beta]"));
    EXPECT_FALSE(HasSection(L"[YouTube]"));
    EXPECT_TRUE(HasSection(L"[Studio A]"));
    EXPECT_EQ(g_ServerList.FindServerByName(L"Beta"), -1);
    EXPECT_EQ(g_ServerList.size(), 2);
}

TEST_F(ServerDialogs, FilterAndTheKeysOfTheFilterBox) {
    Build(kServers);
    OpenServers([&](HWND d) {
        HWND filter = GetDlgItem(d, IDC_SERVERS_FILTER);
        Type(d, IDC_SERVERS_FILTER, L"TUB");
        EXPECT_EQ(Rows(d), (Names{L"YouTube"}));
        Type(d, IDC_SERVERS_FILTER, L"");
        EXPECT_EQ(Rows(d).size(), 4u);
        Key(d, filter, VK_RETURN);  // nothing selected: no editor opens, the list stays
        EXPECT_TRUE(IsWindowVisible(d));

        ClickRow(d, L"Twitch");
        Type(d, IDC_SERVERS_FILTER, L"xt");  // the selection goes, the buttons stay
        Type(d, IDC_SERVERS_FILTER, L"");
        ClickRow(d, L"Twitch");
        SendMessageW(filter, EM_SETSEL, 0, 0);
        Key(d, filter, VK_DELETE);  // edits the filter, removes nothing
        EXPECT_EQ(Rows(d).size(), 4u);
        EXPECT_EQ(g_ServerList.size(), 4);

        std::wstring edited;
        user.OnNextModal([&](HWND e) { edited = TextOf(GetDlgItem(e, IDC_CREDENTIALS_NAME)); });
        Key(d, filter, VK_RETURN);
        EXPECT_EQ(edited, L"Twitch");
        EXPECT_TRUE(IsWindowVisible(d));  // Enter never presses OK

        Key(d, List(d), VK_DELETE);  // in the list Delete removes
        EXPECT_EQ(Rows(d), (Names{L"Beta", L"YouTube", L"Studio A"}));
    });
    EXPECT_EQ(user.Modals(), (std::vector<int>{IDD_SERVER_LIST, IDD_EDIT_CREDENTIALS}));
}

TEST_F(ServerDialogs, ARenamedServerStaysInTheChannelThatShowsIt) {
    Build(kServers);
    Choose(0, L"Twitch");
    OpenServers([&](HWND d) {
        ClickRow(d, L"Twitch");
        user.OnNextModal([](HWND e) {
            Type(e, IDC_CREDENTIALS_NAME, L"Twitch EU");
            Press(e, IDC_CREDENTIALS_APPLY);
        });
        Press(d, IDC_SERVERS_MODIFY);
        EXPECT_EQ(dlg->Channel(0).SelectedText(), L"Twitch EU");
        EXPECT_EQ(g_strChannel1, L"Twitch EU");
        EXPECT_EQ(Items(1), (Names{L"", L"Beta", L"Studio A", L"YouTube"}));
    });
    EXPECT_TRUE(HasSection(L"[Twitch EU]\r\nRtmpurl=rtmp://live.twitch.example/app\r\nPort=1935\r\nKey=live_1\r\nPersistent=0\r\n"));
    EXPECT_FALSE(HasSection(L"[Twitch]"));
}

TEST_F(ServerDialogs, EditorColoursInBothLooks) {
    for (const wchar_t* theme : {L"Light", L"Dark"}) {
        CEditStreamingCredentials editor;
        editor.m_strTheme = theme;
        editor.m_nModifyMode = 1;
        user.OnNextModal([&](HWND e) {
            HDC dc = CreateCompatibleDC(nullptr);
            SendMessageW(e, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(e, IDC_CREDENTIALS_HINT)));
            EXPECT_EQ(GetTextColor(dc), ColorAlertRed);
            for (int id : {IDC_CREDENTIALS_NAME, IDC_CREDENTIALS_KEY}) {  // a disabled one and an open one
                const UINT msg = On(e, id) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
                auto brush = reinterpret_cast<HBRUSH>(SendMessageW(e, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(e, id))));
                LOGBRUSH lb{};
                if (IsDarkTheme(theme)) {
                    ASSERT_TRUE(GetObjectW(brush, sizeof lb, &lb));
                    EXPECT_EQ(lb.lbColor, ColorDarkField) << id;
                    EXPECT_EQ(GetTextColor(dc), On(e, id) ? ColorWhite : ColorDimText) << id;  // disabled: dimmed
                } else if (!On(e, id)) {
                    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_GRAYTEXT)) << id;
                }
            }
            DeleteDC(dc);
        });
        UI().RunModal(editor, nullptr);
    }
}

TEST_F(ServerDialogs, DuringASessionTheServerStreamedToCanNeitherBeModifiedNorRemoved) {
    Build(kServers);
    CCustomizeStreamingServerDlg servers;
    servers.m_strSettingsPath = SettingsIni();
    for (int i = 0; i < 4; ++i) servers.m_channels[i] = &dlg->Channel(i);
    servers.m_sessionServers = {L"Twitch"};
    user.OnNextModal([&](HWND d) {
        const std::wstring intro = TextOf(GetDlgItem(d, IDC_SERVERS_INTRO));
        ClickRow(d, L"Twitch");
        EXPECT_FALSE(On(d, IDC_SERVERS_MODIFY));
        EXPECT_FALSE(On(d, IDC_SERVERS_REMOVE));
        EXPECT_EQ(TextOf(GetDlgItem(d, IDC_SERVERS_INTRO)),
                  L"A server in use while streaming cannot be modified or removed until streaming stops.");
        Key(d, List(d), VK_DELETE);  // the keys cannot do it either
        Key(d, List(d), VK_RETURN);
        EXPECT_EQ(Rows(d).size(), 4u);
        ClickRow(d, L"Beta");  // any other server can be edited
        EXPECT_TRUE(On(d, IDC_SERVERS_MODIFY));
        EXPECT_TRUE(On(d, IDC_SERVERS_REMOVE));
        EXPECT_EQ(TextOf(GetDlgItem(d, IDC_SERVERS_INTRO)), intro);
        Press(d, IDC_SERVERS_REMOVE);
        EXPECT_EQ(Rows(d), (Names{L"YouTube", L"Studio A", L"Twitch"}));
    });
    UI().RunModal(servers, dlg->Handle());
    EXPECT_EQ(user.Modals(), (std::vector<int>{IDD_SERVER_LIST}));  // Enter opened no editor
    EXPECT_GE(g_ServerList.FindServerByName(L"Twitch"), 0);
    EXPECT_TRUE(HasSection(L"[Twitch]"));
}
