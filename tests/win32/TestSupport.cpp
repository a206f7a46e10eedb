// Shared helpers of the Windows tests.
#include "TestSupport.h"
#include <gtest/gtest.h>
#include "app/SystemTray.h"
#include "devices/DeviceNames.h"
#include "ui/framework/Dialog.h"
#include <algorithm>
#include <tlhelp32.h>
#include <shellapi.h>

int ScriptedUser::MessageBox(HWND owner, const std::wstring& text, UINT type) {
    {
        std::lock_guard guard(m_lock);
        m_boxes.push_back({owner, text, type});
    }
    if (auto during = duringMessageBox) during(text);
    return nextAnswer;
}

std::optional<std::wstring> ScriptedUser::SaveAs(HWND, const SaveAsRequest& request) {
    std::lock_guard guard(m_lock);
    m_saveAs.push_back(request);
    return saveAsAnswer;
}

void ScriptedUser::ShellOpen(HWND, const std::wstring& target) {
    std::lock_guard guard(m_lock);
    m_opened.push_back(target);
}

namespace {
// The dialog being run and its script, for the timers that fire inside the modal loop.
struct ModalRun {
    CDialog* dialog;
    std::function<void(HWND)> script;
    DWORD leaveOpenMs;
    int* abandoned;
    UINT_PTR safetyTimer = 0;
};
thread_local ModalRun* t_run = nullptr;
thread_local std::vector<ModalRun*> t_runs;  // every modal run of this thread, innermost last

void CALLBACK CancelAbandoned(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    for (ModalRun* run : t_runs)
        if (run->safetyTimer == timer) {
            run->safetyTimer = 0;
            if (HWND hwnd = run->dialog->Handle(); hwnd && IsWindow(hwnd)) {
                ++*run->abandoned;
                ::EndDialog(hwnd, IDCANCEL);
            }
        }
}

void CALLBACK RunModalScript(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    ModalRun* run = t_run;
    HWND hwnd = run ? run->dialog->Handle() : nullptr;
    if (!hwnd) return;
    // The modal loop shows the dialog once its queue is empty: act on what the user would see.
    if (!IsWindowVisible(hwnd)) {
        SetTimer(nullptr, 0, 10, RunModalScript);
        return;
    }
    if (run->script) run->script(hwnd);
    if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) return;
    if (run->leaveOpenMs) run->safetyTimer = SetTimer(nullptr, 0, run->leaveOpenMs, CancelAbandoned);
    else ::EndDialog(hwnd, IDCANCEL);
}
}  // namespace

INT_PTR ScriptedUser::RunModal(CDialog& dialog, HWND owner) {
    ModalRun run{&dialog, nullptr, 0, &m_abandoned};
    {
        std::lock_guard guard(m_lock);
        m_modals.push_back(dialog.TemplateId());
        if (!m_modalScripts.empty()) {
            run.script = std::move(m_modalScripts.front().run);
            run.leaveOpenMs = m_modalScripts.front().leaveOpenMs;
            m_modalScripts.pop_front();
        }
    }
    ModalRun* outer = t_run;
    t_run = &run;
    t_runs.push_back(&run);
    SetTimer(nullptr, 0, 0, RunModalScript);
    const INT_PTR result = dialog.DoModal(owner);
    if (run.safetyTimer) KillTimer(nullptr, run.safetyTimer);
    t_runs.pop_back();
    t_run = outer;
    return result;
}

void ScriptedUser::OnNextModal(std::function<void(HWND)> script) { OnNextModal(std::move(script), 0); }

void ScriptedUser::OnNextModal(std::function<void(HWND)> script, DWORD leaveOpenMs) {
    std::lock_guard guard(m_lock);
    m_modalScripts.push_back({std::move(script), leaveOpenMs});
}

int ScriptedUser::Abandoned() {
    std::lock_guard guard(m_lock);
    return m_abandoned;
}

void ScriptedUser::ClearModals() {
    std::lock_guard guard(m_lock);
    m_modals.clear();
}

std::vector<int> ScriptedUser::Modals() {
    std::lock_guard guard(m_lock);
    return m_modals;
}

std::vector<ScriptedUser::Box> ScriptedUser::Boxes() {
    std::lock_guard guard(m_lock);
    return m_boxes;
}

std::vector<std::wstring> ScriptedUser::Opened() {
    std::lock_guard guard(m_lock);
    return m_opened;
}

std::vector<SaveAsRequest> ScriptedUser::SaveAsRequests() {
    std::lock_guard guard(m_lock);
    return m_saveAs;
}

static void RemoveTree(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    std::wstring from = path;
    from.push_back(L'\0');  // a double-zero list
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

TempFolder::TempFolder(const std::wstring& tag) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    static int counter = 0;
    m_path = std::wstring(temp) + L"vandrel-" + tag + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(++counter);
    // Wine reuses process ids: a test killed at its timeout left its folder under this very name.
    RemoveTree(m_path);
    CreateDirectoryW(m_path.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(m_path); }

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
    return true;
}

void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

std::wstring ReadWholeFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return L"";
    std::string bytes(GetFileSize(h, nullptr), '\0');
    DWORD read = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(h);
    bytes.resize(read);
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    return std::wstring(bytes.begin(), bytes.end());
}

void WriteTextFile(const std::wstring& path, const std::wstring& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(h, bom, 2, &written, nullptr);
    WriteFile(h, text.data(), static_cast<DWORD>(text.size() * 2), &written, nullptr);
    CloseHandle(h);
}

namespace {
template <class F>
void ForEachProcess(const wchar_t* exeName, F f) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W e{};
    e.dwSize = sizeof e;
    for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e))
        if (_wcsicmp(e.szExeFile, exeName) == 0) f(e.th32ProcessID);
    CloseHandle(snap);
}
}  // namespace

int CountProcesses(const wchar_t* exeName) {
    int n = 0;
    ForEachProcess(exeName, [&](DWORD) { ++n; });
    return n;
}

void KillProcesses(const wchar_t* exeName) {
    ForEachProcess(exeName, [](DWORD pid) {
        if (HANDLE h = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid)) {
            TerminateProcess(h, 1);
            WaitForSingleObject(h, 2000);
            CloseHandle(h);
        }
    });
}

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s = path;
    return s.substr(0, s.rfind(L'\\'));
}

int OpenHandleCount() {
    // SystemHandleInformation (16): the only count Wine keeps (GetProcessHandleCount gives 0).
    struct Entry { ULONG pid; BYTE type; BYTE flags; USHORT handle; PVOID object; ACCESS_MASK access; };
    struct Table { ULONG count; Entry entries[1]; };
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<char> buffer(1 << 22);
    ULONG size = 0;
    if (!query || query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &size) != 0) return -1;
    const auto* table = reinterpret_cast<const Table*>(buffer.data());
    int n = 0;
    for (ULONG i = 0; i < table->count; ++i) n += table->entries[i].pid == GetCurrentProcessId();
    return n;
}

std::vector<ShellCall> g_shellCalls;
namespace {
BOOL g_shellAnswer = TRUE;
}

FakeShell::FakeShell(BOOL answer) {
    g_shellCalls.clear();
    g_shellAnswer = answer;
    SetNotifyIconFunction([](DWORD message, NOTIFYICONDATAW* data) -> BOOL {
        g_shellCalls.push_back({message, *data});
        return g_shellAnswer;
    });
}

FakeShell::~FakeShell() { SetNotifyIconFunction(nullptr); }

long FakeShell::Count(DWORD message) {
    return std::count_if(g_shellCalls.begin(), g_shellCalls.end(), [&](auto& c) { return c.message == message; });
}

std::vector<std::wstring> FakeShell::Balloons() {
    std::vector<std::wstring> texts;
    for (const ShellCall& c : g_shellCalls)
        if ((c.data.uFlags & NIF_INFO) && c.data.szInfo[0]) texts.push_back(c.data.szInfo);
    return texts;
}

bool RegisterFakeDevice(const wchar_t* category, const wchar_t* instance, const wchar_t* friendlyName,
                        const wchar_t* description, bool registered) {
    const std::wstring path = std::wstring(L"CLSID\\") + category + L"\\Instance\\" + instance;
    if (!registered) return RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str()) == ERROR_SUCCESS;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const auto set = [&](const wchar_t* name, const wchar_t* value) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                              DWORD((wcslen(value) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    };
    const bool ok = set(L"FriendlyName", friendlyName) && (!description || set(L"Description", description));
    RegCloseKey(key);
    return ok;
}

// The screen-capture filter, as its installer registers it: a Start in "Desktop" needs it.
bool RegisterScreenCaptureFilter(bool registered) {
    return RegisterFakeDevice(L"{860BB310-5D01-11D0-BD3B-00A0C911CE86}", L"{7E570000-0000-0000-0000-0000000F1173}",
                              kScreenCaptureDevice, nullptr, registered);
}

bool RegisterTestDevices(bool registered) {
    const wchar_t audio[] = L"{33D9A762-90C8-11D0-BD43-00A0C911CE86}";
    bool ok = RegisterFakeDevice(audio, L"{7E570000-0000-0000-0000-0000000D0001}", L"Microphone", nullptr, registered);
    ok = RegisterFakeDevice(audio, L"{7E570000-0000-0000-0000-0000000D0002}", L"Microphone (USB Audio)", nullptr, registered) && ok;
    return RegisterFakeDevice(L"{860BB310-5D01-11D0-BD3B-00A0C911CE86}", L"{7E570000-0000-0000-0000-0000000D0003}",
                              L"USB Camera", nullptr, registered) && ok;
}

namespace {
class ScreenFilterEnvironment : public testing::Environment {
public:
    void SetUp() override { RegisterScreenCaptureFilter(true), RegisterTestDevices(true); }
    void TearDown() override { RegisterScreenCaptureFilter(false), RegisterTestDevices(false); }
};
const testing::Environment* const g_screenFilter = testing::AddGlobalTestEnvironment(new ScreenFilterEnvironment);
}  // namespace

void ClickButton(HWND button) {
    if (!IsWindowEnabled(button)) return;
    const LONG type = GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
    if (type == BS_AUTOCHECKBOX)
        SendMessageW(button, BM_SETCHECK, SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}
