// Running the recording's conversion: hidden, in a job that ends with the application.
#include "engine/ConversionProcess.h"
#include "engine/EncoderProcess.h"
#include "engine/Mp4Conversion.h"
#include "engine/OwnedProcess.h"

CConversionProcess::~CConversionProcess() { Abandon(); }

void CConversionProcess::Start(const std::wstring& file, HWND notify) {
    Abandon();
    m_file = file;
    m_notify = notify;
    m_abandoned = false;
    m_converted = false;
    m_done = false;
    m_resultPending = true;
    m_thread = CreateThread(nullptr, 0, ConversionProc, this, 0, nullptr);
    if (!m_thread) {
        m_done = true;
        PostMessageW(notify, WM_APP_CONVERSION_DONE, 0, 0);
    }
}

DWORD WINAPI CConversionProcess::ConversionProc(LPVOID param) {
    auto& self = *static_cast<CConversionProcess*>(param);
    const std::wstring folder = EncoderFolder();
    const std::wstring temp = Mp4ConversionTempPath(self.m_file);
    std::wstring line = Mp4ConversionCommandLine(self.m_file);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    DWORD code = 1;
    if (CreateOwnedProcess(EncoderExeIn(folder), line, CREATE_NO_WINDOW, folder.c_str(), si, pi)) {
        CloseHandle(pi.hThread);
        self.m_process = pi.hProcess;
        if (self.m_abandoned) TerminateProcess(pi.hProcess, 1);  // abandoned while it was being started
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &code);
    }
    WIN32_FILE_ATTRIBUTE_DATA written{};
    const bool made = code == 0 && !self.m_abandoned && GetFileAttributesExW(temp.c_str(), GetFileExInfoStandard, &written) &&
                      (written.nFileSizeLow | written.nFileSizeHigh) != 0;
    if (made && MoveFileExW(temp.c_str(), self.m_file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        self.m_converted = true;
    else
        DeleteFileW(temp.c_str());
    self.m_done = true;
    if (!self.m_abandoned) PostMessageW(self.m_notify, WM_APP_CONVERSION_DONE, 0, 0);
    return 0;
}

bool CConversionProcess::Wait(DWORD timeoutMs) {
    return !m_thread || WaitForSingleObject(m_thread, timeoutMs) == WAIT_OBJECT_0;
}

void CConversionProcess::Abandon() {
    if (!m_thread) return;
    if (Running()) {
        m_abandoned = true;
        m_resultPending = false;
        // Not yet published: the thread sees the flag right after publishing and ends it itself.
        if (HANDLE process = m_process) TerminateProcess(process, 1);
    }
    WaitForSingleObject(m_thread, INFINITE);
    Release();
}

void CConversionProcess::Release() {
    if (m_thread) CloseHandle(m_thread);
    if (m_process) CloseHandle(m_process);
    m_thread = nullptr;
    m_process = nullptr;
}

bool CConversionProcess::TakeResult(std::wstring& file, bool& converted) {
    if (!m_resultPending || Running()) return false;
    m_resultPending = false;
    file = m_file;
    converted = m_converted;
    return true;
}
