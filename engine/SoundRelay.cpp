// The relay's thread: waits for the session's encoder, then passes on what the device delivers,
// paced by the clock.
#include "engine/SoundRelay.h"
#include "engine/OwnedProcess.h"
#include "engine/SoundPacing.h"
#include <utility>
#include <string>

namespace {

constexpr uint64_t kFrame = 4;                             // bytes of one s16 stereo frame
constexpr uint64_t kSlack = CSoundRelay::kRate / 5;       // 200 ms: the device's own buffering
constexpr DWORD kPipeBuffer = CSoundRelay::kRate / 20 * 4;  // 50 ms: what may wait in the pipe

}  // namespace

bool CSoundRelay::Start(const std::wstring& pipe, const std::wstring& exe, std::wstring line, const wchar_t* folder, HWND notify,
                        UINT message, WPARAM tag) {
    Stop();
    m_notify = notify;
    m_message = message;
    m_tag = tag;
    m_pipe = CreateNamedPipeW(pipe.c_str(), PIPE_ACCESS_OUTBOUND | FILE_FLAG_OVERLAPPED,
                              PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, PIPE_UNLIMITED_INSTANCES,
                              kPipeBuffer, 0, 0, nullptr);
    const bool started = m_pipe != INVALID_HANDLE_VALUE && CreatePipedProcess(exe, line, folder, m_device, m_deviceOut, nullptr);
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_io = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (started && m_stop && m_io) m_thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    if (!m_thread) Stop();
    return m_thread != nullptr;
}

void CSoundRelay::Stop() {
    if (m_thread) {
        SetEvent(m_stop);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_device) {
        TerminateProcess(m_device, 0);  // it writes no file: nothing to finish
        CloseHandle(m_device);
        m_device = nullptr;
    }
    for (HANDLE* h : {&m_deviceOut, &m_stop, &m_io})
        if (*h) CloseHandle(std::exchange(*h, nullptr));
    if (m_pipe != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(m_pipe, INVALID_HANDLE_VALUE));
}

// An overlapped write that a Stop cuts short; false when the encoder is gone or the relay stops.
bool CSoundRelay::Write(const char* data, DWORD size) {
    OVERLAPPED o{};
    o.hEvent = m_io;
    DWORD done = 0;
    if (WriteFile(m_pipe, data, size, &done, &o)) return true;
    if (GetLastError() != ERROR_IO_PENDING) return false;
    const HANDLE both[] = {m_io, m_stop};
    if (WaitForMultipleObjects(2, both, FALSE, INFINITE) != WAIT_OBJECT_0) CancelIo(m_pipe);
    return GetOverlappedResult(m_pipe, &o, &done, TRUE) && done == size;
}

DWORD WINAPI CSoundRelay::Run(LPVOID param) {
    CSoundRelay& self = *static_cast<CSoundRelay*>(param);
    OVERLAPPED o{};
    o.hEvent = self.m_io;
    if (!ConnectNamedPipe(self.m_pipe, &o)) {
        const DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING) {
            const HANDLE both[] = {self.m_io, self.m_stop};
            if (WaitForMultipleObjects(2, both, FALSE, INFINITE) != WAIT_OBJECT_0) {
                CancelIo(self.m_pipe);
                return 0;
            }
        } else if (error != ERROR_PIPE_CONNECTED) {
            return 0;
        }
    }
    // The encoder's own pace is the clock: it starts when the encoder opens its input, and stands
    // still while the encoder takes nothing (setting up its outputs, or with all it needs).
    const ULONGLONG start = GetTickCount64();
    ULONGLONG waited = 0;
    std::string buffered, out;
    uint64_t written = 0;
    while (WaitForSingleObject(self.m_stop, 10) == WAIT_TIMEOUT) {
        // A device whose encoder ended delivers nothing more: silence goes on in its place, and
        // the session is told.
        if (self.m_deviceOut && !ReadAvailable(self.m_deviceOut, buffered)) {
            CloseHandle(std::exchange(self.m_deviceOut, nullptr));
            PostMessageW(self.m_notify, self.m_message, self.m_tag, 0);
        }
        const uint64_t due = (GetTickCount64() - start - waited) * kRate / 1000;
        const SoundStep step = PaceSound(due, written, buffered.size() / kFrame, kSlack);
        out.assign(buffered.begin() + static_cast<ptrdiff_t>(step.drop * kFrame),
                   buffered.begin() + static_cast<ptrdiff_t>((step.drop + step.take) * kFrame));
        out.resize(out.size() + step.silence * kFrame, 0);
        buffered.erase(buffered.begin(), buffered.begin() + static_cast<ptrdiff_t>((step.drop + step.take) * kFrame));
        const ULONGLONG before = GetTickCount64();
        if (!out.empty() && !self.Write(out.data(), static_cast<DWORD>(out.size()))) return 0;  // the encoder ended
        waited += GetTickCount64() - before;
        written += step.take + step.silence;
    }
    return 0;
}
