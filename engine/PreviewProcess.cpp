// Reads both outputs of the preview's encoder until it ends.
#include "engine/PreviewProcess.h"
#include "engine/OwnedProcess.h"
#include <utility>

bool CPreviewProcess::Start(const std::wstring& exe, std::wstring line, const std::wstring& folder, HWND notify, UINT message) {
    Cancel();
    const bool started = CreatePipedProcess(exe, line, folder.c_str(), m_process, m_out, &m_err);
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
        if (out) out = ReadAvailable(self.m_out, output.picture);
        if (err) err = ReadAvailable(self.m_err, output.said);
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
