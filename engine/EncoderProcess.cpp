// Launching and stopping the encoder.
#include "engine/EncoderProcess.h"
#include "engine/OwnedProcess.h"
#include "engine/SoundRelay.h"
#include <atomic>
#include <memory>

struct CEncoderSession::Launch {
    CEncoderSession* session;
    std::wstring commandLine;
    std::wstring folder;
    HWND notify;
    std::wstring environment;
    unsigned generation;
    std::wstring soundLine, soundPipe;
};

namespace {

std::atomic<ExecutionStateFunction> g_executionState{nullptr};
std::mutex g_folderLock;
std::wstring g_encoderFolder;

bool HoldsEncoder(const std::wstring& folder) {
    return GetFileAttributesW(EncoderExeIn(folder).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring CurrentFolder() {
    std::wstring folder(32768, L'\0');
    folder.resize(GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

// Types 'q' into the console this process is attached to.
void SendQuitKey() {
    HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) return;
    INPUT_RECORD keys[2] = {};
    for (int i = 0; i < 2; ++i) {
        keys[i].EventType = KEY_EVENT;
        keys[i].Event.KeyEvent.bKeyDown = i == 0;
        keys[i].Event.KeyEvent.wRepeatCount = 1;
        keys[i].Event.KeyEvent.wVirtualKeyCode = 'Q';
        keys[i].Event.KeyEvent.wVirtualScanCode = static_cast<WORD>(MapVirtualKeyW('Q', MAPVK_VK_TO_VSC));
        keys[i].Event.KeyEvent.uChar.UnicodeChar = L'q';
    }
    DWORD written = 0;
    WriteConsoleInputW(input, keys, 2, &written);
    CloseHandle(input);
}

}  // namespace

std::wstring DecideEncoderFolder() {
    const std::wstring current = CurrentFolder();
    if (HoldsEncoder(current)) return current;
    std::wstring program(32768, L'\0');
    program.resize(GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size())));
    program.resize(program.find_last_of(L'\\'));
    if (program.size() == 2) program += L'\\';  // a drive's root
    return program;
}

void SetEncoderFolder(const std::wstring& folder) {
    std::lock_guard guard(g_folderLock);
    g_encoderFolder = folder;
}

std::wstring EncoderFolder() {
    {
        std::lock_guard guard(g_folderLock);
        if (!g_encoderFolder.empty()) return g_encoderFolder;
    }
    return CurrentFolder();
}

std::wstring EncoderExeIn(const std::wstring& folder) {
    return folder + (!folder.empty() && folder.back() == L'\\' ? L"" : L"\\") + L"ffmpeg.exe";
}

void SetExecutionStateFunction(ExecutionStateFunction function) { g_executionState = function; }

void CEncoderSession::KeepAwake(bool on) {
    if (m_awake == on) return;
    m_awake = on;
    const ExecutionStateFunction set = g_executionState.load();
    const EXECUTION_STATE state = on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS;
    set ? set(state) : SetThreadExecutionState(state);
}

CEncoderSession::~CEncoderSession() {
    std::lock_guard guard(m_lock);
    if (m_hProcess) CloseHandle(m_hProcess);
}

void CEncoderSession::Start(const std::wstring& commandLine, HWND notify, const std::wstring& environment,
                            const std::wstring& soundLine, const std::wstring& soundPipe) {
    unsigned generation;
    {
        std::lock_guard guard(m_lock);
        generation = ++m_generation;
    }
    KeepAwake(true);
    auto* launch = new Launch{this, commandLine, EncoderFolder(), notify, environment, generation, soundLine, soundPipe};
    HANDLE thread = CreateThread(nullptr, 0, StreamWorkerProc, launch, 0, nullptr);
    if (thread)
        CloseHandle(thread);
    else {
        delete launch;
        PostMessageW(notify, WM_APP_LAUNCH_FAILED, 0, 0);
    }
}

DWORD WINAPI CEncoderSession::StreamWorkerProc(LPVOID param) {
    std::unique_ptr<Launch> launch(static_cast<Launch*>(param));
    CEncoderSession& self = *launch->session;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    HANDLE wait = nullptr;
    CSoundRelay relay;
    {
        // Under the lock, so that a Stop either finds the process or cancels the launch.
        std::lock_guard guard(self.m_lock);
        if (launch->generation != self.m_generation) return 0;
        const std::wstring& folder = launch->folder;
        std::wstring& env = launch->environment;
        // The relay's pipe is there before the encoder opens it.
        const bool relayed = launch->soundLine.empty() ||
                             relay.Start(launch->soundPipe, EncoderExeIn(folder), launch->soundLine, folder.c_str(), launch->notify,
                                         WM_APP_SOUND_LOST, launch->generation);
        if (!relayed || !CreateOwnedProcess(EncoderExeIn(folder), launch->commandLine,
                                CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP | (env.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT),
                                folder.c_str(), si, pi, env.empty() ? nullptr : env.data())) {
            PostMessageW(launch->notify, WM_APP_LAUNCH_FAILED, 0, 0);
            return 0;
        }
        CloseHandle(pi.hThread);
        self.m_hProcess = pi.hProcess;
        self.m_processId = pi.dwProcessId;
        wait = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pi.dwProcessId);
        if (!wait)
            DuplicateHandle(GetCurrentProcess(), pi.hProcess, GetCurrentProcess(), &wait, SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                            FALSE, 0);
    }
    WaitForSingleObject(wait, INFINITE);
    relay.Stop();
    DWORD code = 0;
    GetExitCodeProcess(wait, &code);
    CloseHandle(wait);
    // Only the current session's end is news; a Stop already took care of its own.
    std::lock_guard guard(self.m_lock);
    if (launch->generation == self.m_generation)
        PostMessageW(launch->notify, WM_APP_ENCODER_ENDED, launch->generation, static_cast<LPARAM>(code));
    return 1;
}

bool CEncoderSession::Current(WPARAM session) {
    std::lock_guard guard(m_lock);
    return session == m_generation && m_hProcess;
}

bool CEncoderSession::EndedByItself(WPARAM session) {
    std::lock_guard guard(m_lock);
    if (session != m_generation || !m_hProcess) return false;
    KeepAwake(false);
    ++m_generation;
    CloseHandle(m_hProcess);
    m_hProcess = nullptr;
    m_processId = 0;
    return true;
}

void CEncoderSession::Stop(DWORD graceMs) {
    KeepAwake(false);
    HANDLE process;
    DWORD processId;
    {
        std::lock_guard guard(m_lock);
        ++m_generation;  // a launch not yet made is called off
        process = m_hProcess;
        processId = m_processId;
        m_hProcess = nullptr;
        m_processId = 0;
    }
    if (!process) return;
    Sleep(graceMs);
    AttachConsole(processId);
    SetConsoleCtrlHandler(nullptr, TRUE);
    // The encoder heads a new process group, where Ctrl+C stays disabled: the 'q' it reads from
    // its console is what ends it cleanly. The break goes too, for an encoder that listens to it.
    SendQuitKey();
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, processId);
    // Detached before the wait: the console is the encoder's alone and ends with it.
    FreeConsole();
    SetConsoleCtrlHandler(nullptr, FALSE);
    WaitForSingleObject(process, kCtrlCWaitMs);
    TerminateProcess(process, 0);
    CloseHandle(process);
}
