// Launching and stopping the encoder.
#include "engine/EncoderProcess.h"
#include <memory>

struct CEncoderSession::Launch {
    CEncoderSession* session;
    std::wstring commandLine;
    HWND notify;
    std::wstring environment;
    unsigned generation;
};

CEncoderSession::~CEncoderSession() {
    std::lock_guard guard(m_lock);
    if (m_hProcess) CloseHandle(m_hProcess);
}

void CEncoderSession::Start(const std::wstring& commandLine, HWND notify, const std::wstring& environment) {
    unsigned generation;
    {
        std::lock_guard guard(m_lock);
        generation = ++m_generation;
    }
    auto* launch = new Launch{this, commandLine, notify, environment, generation};
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
    DWORD processId = 0;
    {
        // Under the lock, so that a Stop either finds the process or cancels the launch.
        std::lock_guard guard(self.m_lock);
        if (launch->generation != self.m_generation) return 0;
        std::wstring& env = launch->environment;
        if (!CreateProcessW(L"ffmpeg.exe", launch->commandLine.data(), nullptr, nullptr, FALSE,
                            CREATE_NEW_CONSOLE | CREATE_NEW_PROCESS_GROUP | (env.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT),
                            env.empty() ? nullptr : env.data(), nullptr, &si, &pi)) {
            PostMessageW(launch->notify, WM_APP_LAUNCH_FAILED, 0, 0);
            return 0;
        }
        CloseHandle(pi.hThread);
        self.m_hProcess = pi.hProcess;
        self.m_processId = processId = pi.dwProcessId;
    }
    if (HANDLE wait = OpenProcess(PROCESS_ALL_ACCESS, FALSE, processId)) {
        WaitForSingleObject(wait, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(wait, &code);
        CloseHandle(wait);
        // Only the current session's end is news; a Stop already took care of its own.
        std::lock_guard guard(self.m_lock);
        if (launch->generation == self.m_generation)
            PostMessageW(launch->notify, WM_APP_ENCODER_ENDED, launch->generation, static_cast<LPARAM>(code));
    }
    return 1;
}

bool CEncoderSession::EndedByItself(WPARAM session) {
    std::lock_guard guard(m_lock);
    if (session != m_generation || !m_hProcess) return false;
    ++m_generation;
    CloseHandle(m_hProcess);
    m_hProcess = nullptr;
    m_processId = 0;
    return true;
}

void CEncoderSession::Stop() {
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
    Sleep(kGraceMs);
    AttachConsole(processId);
    SetConsoleCtrlHandler(nullptr, TRUE);
    GenerateConsoleCtrlEvent(CTRL_C_EVENT, processId);
    WaitForSingleObject(process, kCtrlCWaitMs);
    FreeConsole();
    SetConsoleCtrlHandler(nullptr, FALSE);
    TerminateProcess(process, 0);
    CloseHandle(process);
}
