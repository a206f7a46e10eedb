// Reads both outputs of the preview's encoder until it ends.
#include "engine/PreviewProcess.h"
#include "engine/OwnedProcess.h"
#include <utility>

namespace {

// Takes what a pipe holds now without waiting; false once its writer has gone and it is empty.
bool Drain(HANDLE pipe, std::string& into) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    if (!available) return true;
    const size_t at = into.size();
    into.resize(at + available);
    DWORD got = 0;
    const bool ok = ReadFile(pipe, into.data() + at, available, &got, nullptr) != 0;
    into.resize(at + got);
    return ok;
}

}  // namespace

bool CPreviewProcess::Start(const std::wstring& exe, std::wstring line, const std::wstring& folder, HWND notify, UINT message) {
    Cancel();
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = nullptr, err = nullptr;
    if (!CreatePipe(&m_out, &out, &inherit, 1 << 16) || !CreatePipe(&m_err, &err, &inherit, 1 << 16)) {
        if (out) CloseHandle(out);
        Cancel();
        return false;
    }
    SetHandleInformation(m_out, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_err, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    const bool started = CreateOwnedProcess(exe, line, CREATE_NO_WINDOW, folder.c_str(), si, pi, nullptr, TRUE);
    CloseHandle(out);  // the encoder holds the only writing ends: its end is seen
    CloseHandle(err);
    if (started) {
        CloseHandle(pi.hThread);
        m_process = pi.hProcess;
    }
    m_notify = notify;
    m_message = message;
    {
        std::lock_guard guard(m_lock);
        m_output = {};
        m_done = false;
    }
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (started && m_stop) m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    if (!m_thread) Cancel();
    return m_thread != nullptr;
}

void CPreviewProcess::Cancel() {
    if (m_thread) {
        SetEvent(m_stop);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(std::exchange(m_thread, nullptr));
    }
    if (m_process) {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 5000);
        CloseHandle(std::exchange(m_process, nullptr));
    }
    for (HANDLE* h : {&m_out, &m_err, &m_stop})
        if (*h) CloseHandle(std::exchange(*h, nullptr));
    std::lock_guard guard(m_lock);
    m_done = false;
}

bool CPreviewProcess::Take(Output& output) {
    {
        std::lock_guard guard(m_lock);
        if (!m_done) return false;
        output = std::move(m_output);
        m_done = false;
    }
    Cancel();  // the thread has ended: release it
    return true;
}

DWORD WINAPI CPreviewProcess::Run(LPVOID param) {
    CPreviewProcess& self = *static_cast<CPreviewProcess*>(param);
    Output output;
    const ULONGLONG deadline = GetTickCount64() + kDeadlineMs;
    bool out = true, err = true;
    while (out || err) {
        if (WaitForSingleObject(self.m_stop, 20) != WAIT_TIMEOUT) return 0;
        if (out) out = Drain(self.m_out, output.picture);
        if (err) err = Drain(self.m_err, output.said);
        if (GetTickCount64() > deadline) {
            TerminateProcess(self.m_process, 1);
            break;
        }
    }
    WaitForSingleObject(self.m_process, 5000);
    {
        std::lock_guard guard(self.m_lock);
        self.m_output = std::move(output);
        self.m_done = true;
    }
    PostMessageW(self.m_notify, self.m_message, 0, 0);
    return 0;
}
