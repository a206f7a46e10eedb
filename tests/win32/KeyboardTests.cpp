// The keyboard alone: Tab order, access keys, and a walk from the main window to the server
// list and back with typed keys.
#include "MainWindowFixture.h"
#include "resources/MediaSettingsRes.h"
#include "ui/dialogs/AboutDlg.h"

namespace {

using Ids = std::vector<int>;

// Keys as the keyboard gives them, to whatever window has the focus.
void Type(std::initializer_list<WORD> chord) {
    std::vector<INPUT> keys;
    for (WORD vk : chord) keys.push_back({INPUT_KEYBOARD, {.ki = {vk, 0, 0, 0, 0}}});
    for (auto vk = std::rbegin(chord); vk != std::rend(chord); ++vk)
        keys.push_back({INPUT_KEYBOARD, {.ki = {*vk, 0, KEYEVENTF_KEYUP, 0, 0}}});
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

// The application's loop: the main window's dialog keys first.
bool RunAppLoopUntil(HWND mainWindow, const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            if (!IsDialogMessageW(mainWindow, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        Sleep(10);
    }
    return true;
}

int FocusId() { return GetDlgCtrlID(GetFocus()); }

// Every Tab stop in the order Tab visits them, from the first, with every control enabled.
Ids TabOrder(HWND dialog) {
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) EnableWindow(c, TRUE);
    Ids ids;
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND c = first; c && (ids.empty() || c != first); c = GetNextDlgTabItem(dialog, c, FALSE))
        ids.push_back(GetDlgCtrlID(c));
    return ids;
}

// What Alt+letter focuses, through the dialog manager.
int AccessKeyTarget(HWND dialog, wchar_t letter) {
    SetFocus(GetNextDlgTabItem(dialog, nullptr, FALSE));
    MSG msg{GetFocus(), WM_SYSCHAR, letter, 1 << 29, 0, {}};
    IsDialogMessageW(dialog, &msg);
    HWND focus = GetFocus();
    return GetDlgCtrlID(GetParent(focus) == dialog ? focus : GetParent(focus));  // a combo's own edit field
}

struct WindowKeys {
    const char* window;
    Ids tabOrder;
    std::vector<std::pair<wchar_t, int>> labels;  // Alt+letter of a label and the field it reaches
};

const WindowKeys kMain = {
    "main",
    {IDC_LINK_MEDIA_SETTINGS, IDC_LINK_CONFIGURE, IDC_LINK_HELP, IDC_LINK_DARK_THEME, IDC_LINK_MORE_INFO,
     IDC_CHANNEL1, IDC_CHANNEL2, IDC_CHANNEL3, IDC_CHANNEL4, IDC_SAVE_LOCALLY, IDC_RECORDING_FILE, IDC_BROWSE,
     IDC_SEPARATE_FILE, IDC_LINK_REPORTS, IDC_START, IDC_STOP, IDC_CLOSE},
    {{L'1', IDC_CHANNEL1}, {L'2', IDC_CHANNEL2}, {L'3', IDC_CHANNEL3}, {L'4', IDC_CHANNEL4},
     {L'v', IDC_SAVE_LOCALLY}, {L'f', IDC_SEPARATE_FILE}}};
const WindowKeys kOthers[] = {
    {"media settings",
     {IDC_RECORDING_MODE, IDC_PRIMARY_VIDEO_SOURCE, IDC_MUTE_AUDIO, IDC_AUDIO_DEVICE, IDC_ALSO_RECORD, IDC_DISABLE_VIDEO,
      IDC_OVERLAY_DEVICE, IDC_OVERLAY_POSITION, IDC_FRAME_RATE, IDC_RECORDING_FORMAT, IDC_RECONNECT_CHANNELS,
      IDC_HOTKEY, IDC_SOUND_DEVICES_LINK, IDC_VIDEO_BITRATE, IDC_OUTPUT_SIZE, IDC_AUDIO_CODEC, IDC_RECOMMENDED, IDOK,
      IDC_SETTINGS_CLOSE, IDC_PREVIEW},
     {{L'r', IDC_RECORDING_MODE}, {L'p', IDC_PRIMARY_VIDEO_SOURCE}, {L'm', IDC_MUTE_AUDIO},
      {L'u', IDC_AUDIO_DEVICE}, {L'e', IDC_ALSO_RECORD}, {L'd', IDC_DISABLE_VIDEO}, {L'o', IDC_OVERLAY_DEVICE},
      {L'v', IDC_OVERLAY_POSITION}, {L'f', IDC_FRAME_RATE}, {L't', IDC_RECORDING_FORMAT},
      {L'n', IDC_RECONNECT_CHANNELS}, {L'h', IDC_HOTKEY}, {L'b', IDC_VIDEO_BITRATE}, {L'z', IDC_OUTPUT_SIZE},
      {L'i', IDC_AUDIO_CODEC}}},
    {"server list",
     {IDC_SERVERS_FILTER, IDC_SERVERS_LIST, IDC_SERVERS_ADD, IDC_SERVERS_MODIFY, IDC_SERVERS_REMOVE,
      IDC_SERVERS_OK, IDCANCEL},
     {}},
    {"credentials editor",
     {IDC_CREDENTIALS_NAME, IDC_CREDENTIALS_SERVICE, IDC_CREDENTIALS_URL, IDC_CREDENTIALS_KEY, IDC_CREDENTIALS_SHOW_KEY,
      IDC_CREDENTIALS_PORT, IDC_CREDENTIALS_APPLY, IDC_CREDENTIALS_CANCEL},
     {{L's', IDC_CREDENTIALS_NAME}, {L'v', IDC_CREDENTIALS_SERVICE}, {L'r', IDC_CREDENTIALS_URL}, {L'k', IDC_CREDENTIALS_KEY},
      {L'w', IDC_CREDENTIALS_SHOW_KEY}, {L'p', IDC_CREDENTIALS_PORT}}},
    {"about", {IDC_SITE_LINK, IDOK}, {}},
};

}  // namespace

class Keyboard : public MainWindowFixture {
protected:
    void Check(const WindowKeys& keys, HWND dialog) {
        SCOPED_TRACE(keys.window);
        EXPECT_EQ(TabOrder(dialog), keys.tabOrder);
        for (auto [letter, field] : keys.labels)
            EXPECT_EQ(AccessKeyTarget(dialog, letter), field) << "Alt+" << static_cast<char>(letter);
    }
    HWND Link(int id) const { return Item(id); }
};

TEST_F(Keyboard, TabGoesTopToBottomLeftToRightAndLabelsLeadToTheirFields) {
    Build(kThreeServers);
    user.OnNextModal([&](HWND d) { Check(kOthers[0], d); });
    ClickLabel(IDC_LINK_MEDIA_SETTINGS);
    user.OnNextModal([&](HWND d) {
        Check(kOthers[1], d);
        user.OnNextModal([&](HWND e) { Check(kOthers[2], e); });
        SendMessageW(GetDlgItem(d, IDC_SERVERS_ADD), BM_CLICK, 0, 0);
    });
    ClickLabel(IDC_LINK_CONFIGURE);
    user.OnNextModal([&](HWND d) { Check(kOthers[3], d); });
    CAboutDlg about;
    UI().RunModal(about, dlg->Handle());
    EXPECT_EQ(user.Modals(), (Ids{IDD_MEDIA_SETTINGS, IDD_SERVER_LIST, IDD_EDIT_CREDENTIALS, IDD_ABOUTBOX}));
    Check(kMain, dlg->Handle());  // last: it enables every control
}

TEST_F(Keyboard, FromTheMainWindowToTheServerListAndBackWithKeysOnly) {
    Build(kThreeServers);
    HWND main = dlg->Handle();
    SetForegroundWindow(main);
    ASSERT_TRUE(RunAppLoopUntil(main, [&] { return GetForegroundWindow() == main && GetFocus(); }));

    // Tab to the link, Space opens the list; there the focus is in it, and Esc closes it.
    Ids visited;
    for (int i = 0; i < 20 && FocusId() != IDC_LINK_CONFIGURE; ++i) {
        const int before = FocusId();
        Type({VK_TAB});
        ASSERT_TRUE(RunAppLoopUntil(main, [&] { return FocusId() != before; })) << "Tab did not move";
        visited.push_back(FocusId());
    }
    ASSERT_EQ(FocusId(), IDC_LINK_CONFIGURE) << "visited " << testing::PrintToString(visited);
    bool focusInList = false;
    auto escape = [&](HWND d) {
        focusInList = GetForegroundWindow() == d && IsChild(d, GetFocus());
        Type({VK_ESCAPE});
    };
    user.OnNextModal(escape, 5000);
    Type({VK_SPACE});
    ASSERT_TRUE(RunAppLoopUntil(main, [&] { return user.Modals().size() == 1 && GetFocus() == Link(IDC_LINK_CONFIGURE); }))
        << "focus on " << FocusId();
    EXPECT_TRUE(focusInList);

    // Enter opens it again; Shift+Tab from the first field reaches Close, and Enter presses it.
    focusInList = false;
    user.OnNextModal([&](HWND d) {
        focusInList = GetForegroundWindow() == d && GetFocus() == GetDlgItem(d, IDC_SERVERS_FILTER);
        Type({VK_SHIFT, VK_TAB});
        Type({VK_RETURN});
    }, 5000);
    Type({VK_RETURN});
    ASSERT_TRUE(RunAppLoopUntil(main, [&] { return user.Modals().size() == 2 && GetFocus() == Link(IDC_LINK_CONFIGURE); }));
    EXPECT_TRUE(focusInList);

    // Its access key opens it from anywhere in the window.
    Type({VK_TAB});
    ASSERT_TRUE(RunAppLoopUntil(main, [&] { return FocusId() == IDC_LINK_HELP; }));
    focusInList = false;
    user.OnNextModal(escape, 5000);
    Type({VK_MENU, 'C'});
    ASSERT_TRUE(RunAppLoopUntil(main, [&] { return user.Modals().size() == 3 && GetForegroundWindow() == main; }));
    EXPECT_TRUE(focusInList);
    EXPECT_EQ(user.Modals(), (Ids{IDD_SERVER_LIST, IDD_SERVER_LIST, IDD_SERVER_LIST}));
    EXPECT_EQ(user.Abandoned(), 0) << "a list the keys did not close";
    EXPECT_TRUE(IsWindowVisible(main));
}
