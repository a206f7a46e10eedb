// The real Windows encoder in the Windows tests (docs/testing.md, "The real encoder"): the wrapper
// installed as ffmpeg.exe with the real encoder beside it, what the wrapper reported, and checks of
// the files it wrote by Debian's ffprobe/ffmpeg, run from inside Wine.
#pragma once
#include <windows.h>
#include <string>

// The real encoder named by %VANDREL_REAL_ENCODER% (ctest sets it; scripts/setup.sh installs it),
// or "" when there is none.
std::wstring RealEncoderPath();

// Puts the wrapper (encoder_wrapper.exe, beside the test program) into folder as ffmpeg.exe and the
// real encoder as folder\encoder\ffmpeg.exe. Both show as "ffmpeg.exe" in the process list.
bool InstallRealEncoder(const std::wstring& folder);

// What the wrapper in folder reported about a run (encoder_wrapper.log): the first, the session's,
// unless run says which (the recording's conversion after it is run 1).
struct WrapperReport {
    bool started = false;        // the wrapper ran
    std::wstring workingFolder;  // where it was started
    std::wstring line;           // the line the application launched
    std::wstring realLine;       // the line the real encoder got
    DWORD realPid = 0;
    bool exitedByItself = false;  // the real encoder ended and the wrapper saw it (never after a termination)
    DWORD exitCode = 0;
};
WrapperReport ReadWrapperReport(const std::wstring& folder, int run = 0);
void ClearWrapperReport(const std::wstring& folder);

// Runs a shell command line of the host (Linux) and returns its output and status; Wine starts a
// host program detached, so this waits for a marker file, at most timeoutMs. -1 when it timed out.
struct HostResult {
    int status = -1;
    std::string output;  // stdout and stderr together
};
HostResult RunHost(const std::string& shellCommand, DWORD timeoutMs = 60000);
// The host path of a Windows path ("Z:\\tmp\\a b.mp4" -> "/tmp/a b.mp4"), single-quoted for the shell.
std::string HostQuoted(const std::wstring& windowsPath);

// ffprobe's format name of a file ("flv", "mov,mp4,m4a,3gp,3g2,mj2"), "" when it cannot read it.
std::string ProbeFormat(const std::wstring& file);
// The time of the last video packet after a full decode without a single error; -1 when the decode fails.
// cutEnd forgives one decoding error, for a file whose encoder was killed mid-packet.
double PlaysTo(const std::wstring& file, bool cutEnd = false);
