// The single-instance guard.
#include "app/InstanceChecker.h"
#include "app/VandrelApp.h"
#include "resources/resource.h"
#include <shellapi.h>
#include <cstdint>
#include <vector>

HANDLE g_hInstanceMapping = nullptr;

CInstanceChecker::CInstanceChecker(const std::wstring& name)
    : m_mtxData(CreateMutexW(nullptr, FALSE, nullptr)),
      m_mtxStartup(CreateMutexW(nullptr, FALSE, name.c_str())),
      m_strName(name) {}

CInstanceChecker::~CInstanceChecker() {
    ReleaseStartupLock();
    if (m_mtxStartup) CloseHandle(m_mtxStartup);
    if (m_mtxData) CloseHandle(m_mtxData);
}

std::wstring CInstanceChecker::MappingName() const { return L"CInstanceChecker_MMF_" + m_strName; }

HWND CInstanceChecker::WindowToPublish() const { return AppMainWindow(); }

void CInstanceChecker::AcquireStartupLock() {
    // An abandoned lock (a copy that died while starting) is ours all the same.
    const DWORD r = WaitForSingleObject(m_mtxStartup, INFINITE);
    m_pStartupLock = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void CInstanceChecker::ReleaseStartupLock() {
    if (!m_pStartupLock) return;
    ReleaseMutex(m_mtxStartup);
    m_pStartupLock = false;
}

bool CInstanceChecker::AnotherInstanceRunning() const {
    HANDLE h = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, MappingName().c_str());
    if (!h) return false;
    CloseHandle(h);
    return true;
}

namespace {

// The hand-over waits no longer for a first copy whose window does not answer.
constexpr UINT kHandOverTimeoutMs = 3000;

std::wstring FileNameOf(std::wstring path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring OwnImageName() {
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return FileNameOf(path);
}

std::wstring ImageNameOfWindowProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return L"";
    std::wstring path(32768, L'\0');
    DWORD size = static_cast<DWORD>(path.size());
    if (!QueryFullProcessImageNameW(process, 0, path.data(), &size)) size = 0;
    CloseHandle(process);
    path.resize(size);
    return FileNameOf(path);
}

HWND ReadPublishedWindow(HANDLE mapping) {
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4);
    if (!view) return nullptr;
    std::uint32_t stored = 0;
    CopyMemory(&stored, view, 4);
    UnmapViewOfFile(view);
    // Window handles are 32-bit values on every Windows, so they cross the 4 bytes whole.
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(stored));
}

}  // namespace

bool IsMainWindowOfThisProgram(HWND window) {
    if (!window || !IsWindow(window)) return false;
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    // A dialog holding the Start button: the main window, not another dialog of the same program.
    if (wcscmp(cls, L"#32770") != 0 || !GetDlgItem(window, IDC_START)) return false;
    return CompareStringOrdinal(ImageNameOfWindowProcess(window).c_str(), -1, OwnImageName().c_str(), -1, TRUE) ==
           CSTR_EQUAL;
}

bool CInstanceChecker::PublishFirstInstance() {
    // A block of this name that holds no live main window of this program (left by a copy that
    // lost its window, or made by something else) is taken over rather than trusted.
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, MappingName().c_str());
    if (mapping && IsMainWindowOfThisProgram(ReadPublishedWindow(mapping))) {
        CloseHandle(mapping);
        return false;
    }
    if (!mapping) mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, MappingName().c_str());
    if (!mapping) return false;
    void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 4);
    if (!view) {
        // Without a handle to write, a later copy could not find us: publish nothing.
        CloseHandle(mapping);
        return false;
    }
    g_hInstanceMapping = mapping;
    WaitForSingleObject(m_mtxData, INFINITE);
    const auto handle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(WindowToPublish()));
    CopyMemory(view, &handle, 4);
    UnmapViewOfFile(view);
    ReleaseStartupLock();
    ReleaseMutex(m_mtxData);
    return true;
}

HWND CInstanceChecker::ActivateRunningInstance(const wchar_t* text, HWND) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, MappingName().c_str());
    if (!mapping) return nullptr;
    WaitForSingleObject(m_mtxData, INFINITE);
    HWND h = ReadPublishedWindow(mapping);
    CloseHandle(mapping);
    if (!IsMainWindowOfThisProgram(h)) {
        // Not a copy of ours to hand over to: the caller starts as the first copy, still
        // holding the start-up lock until it publishes itself.
        ReleaseMutex(m_mtxData);
        return nullptr;
    }
    // Nothing here may wait on the first copy's thread: a busy first copy (a Stop in progress)
    // would hold this copy, and the start-up lock, with it.
    ShowWindowAsync(h, SW_RESTORE);
    HWND popup = GetLastActivePopup(h);
    if (IsWindow(popup)) SetForegroundWindow(popup);
    if (text) {
        std::vector<wchar_t> copy(text, text + wcslen(text) + 1);
        COPYDATASTRUCT cds{};
        cds.dwData = 0;
        cds.cbData = static_cast<DWORD>(copy.size() * sizeof(wchar_t));
        cds.lpData = copy.data();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(h, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG,
                            kHandOverTimeoutMs, &answer);
    }
    ReleaseStartupLock();
    ReleaseMutex(m_mtxData);
    return h;
}

bool PublishMainWindow(HWND window) {
    if (!g_hInstanceMapping) return false;
    void* view = MapViewOfFile(g_hInstanceMapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 4);
    if (!view) return false;
    const auto handle = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
    CopyMemory(view, &handle, 4);
    UnmapViewOfFile(view);
    return true;
}

std::wstring FileNameArgument(const wchar_t* commandLine) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(commandLine, &argc);
    std::wstring result;
    for (int i = 1; argv && i < argc; ++i)
        if (argv[i][0] != L'-' && argv[i][0] != L'/') {
            result = argv[i];
            break;
        }
    LocalFree(argv);
    return result;
}
