// The single-instance guard.
#include "app/InstanceChecker.h"
#include "app/VandrelApp.h"
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

bool CInstanceChecker::PublishFirstInstance() {
    if (AnotherInstanceRunning()) return false;
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, MappingName().c_str());
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
    void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 4);
    if (!view) {
        CloseHandle(mapping);
        ReleaseStartupLock();
        return nullptr;
    }
    WaitForSingleObject(m_mtxData, INFINITE);
    std::uint32_t stored = 0;
    CopyMemory(&stored, view, 4);
    // Window handles are 32-bit values on every Windows, so they cross the 4 bytes whole.
    HWND h = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(stored));
    if (h) {
        ShowWindow(h, SW_RESTORE);
        HWND popup = GetLastActivePopup(h);
        if (IsWindow(popup)) SetForegroundWindow(popup);
        if (text) {
            std::vector<wchar_t> copy(text, text + wcslen(text) + 1);
            COPYDATASTRUCT cds{};
            cds.dwData = 0;
            cds.cbData = static_cast<DWORD>(copy.size() * sizeof(wchar_t));
            cds.lpData = copy.data();
            SendMessageW(h, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
        }
    }
    UnmapViewOfFile(view);
    CloseHandle(mapping);
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
