// Shared helpers of the Windows tests: a scripted user, temporary folders, message pumping.
#pragma once
#include "ui/framework/UserInterface.h"
#include <shellapi.h>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

// Answers message boxes and Save As without a human, and remembers what was asked.
class ScriptedUser : public IUserInterface {
public:
    struct Box {
        HWND owner;
        std::wstring text;
        UINT type;
    };
    ScriptedUser() { SetUserInterface(this); }
    ~ScriptedUser() override { SetUserInterface(nullptr); }

    int MessageBox(HWND owner, const std::wstring& text, UINT type) override;
    std::optional<std::wstring> SaveAs(HWND owner, const SaveAsRequest& request) override;
    void ShellOpen(HWND owner, const std::wstring& target) override;
    // Shows the dialog for real and, once it is up, runs the next queued script on it inside
    // its modal loop; a dialog the script leaves open (or that has no script) is cancelled.
    INT_PTR RunModal(CDialog& dialog, HWND owner) override;
    void OnNextModal(std::function<void(HWND dialog)> script);
    // The same, but after the script the dialog is left to its own loop, so that keys the script
    // typed reach it there; one still open after leaveOpenMs is cancelled and counted.
    void OnNextModal(std::function<void(HWND dialog)> script, DWORD leaveOpenMs);
    int Abandoned();  // dialogs cancelled that way
    std::vector<int> Modals();  // the template ids of every dialog run, in order
    void ClearModals();

    std::vector<Box> Boxes();
    std::vector<std::wstring> Opened();
    std::vector<SaveAsRequest> SaveAsRequests();

    int nextAnswer = IDOK;                      // for every message box
    // Runs while a message box is up, as a user acting elsewhere meanwhile (the tray, say).
    std::function<void(const std::wstring& text)> duringMessageBox;
    std::optional<std::wstring> saveAsAnswer;  // nothing: cancelled

private:
    std::mutex m_lock;
    std::vector<Box> m_boxes;
    std::vector<std::wstring> m_opened;
    std::vector<SaveAsRequest> m_saveAs;
    struct ModalScript {
        std::function<void(HWND)> run;
        DWORD leaveOpenMs = 0;
    };
    std::deque<ModalScript> m_modalScripts;
    int m_abandoned = 0;
    std::vector<int> m_modals;
};

// A fresh folder under the temp folder, removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& tag);
    ~TempFolder();
    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// Dispatches this thread's messages until done() or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
void PumpFor(DWORD ms);
// A click on an enabled button, its check box toggled, BN_CLICKED to its parent. BM_CLICK goes
// through the mouse capture and the focus, which X focus events under Wine can take mid-click.
void ClickButton(HWND button);

std::wstring ReadWholeFile(const std::wstring& path);  // UTF-16 with BOM or ANSI, as text
void WriteTextFile(const std::wstring& path, const std::wstring& text);  // UTF-16 with BOM
int CountProcesses(const wchar_t* exeName);
void KillProcesses(const wchar_t* exeName);
std::wstring ExeFolder();
// Registers (or removes) the screen-capture filter device; every test program has it registered
// while it runs, as a machine ready to stream does.
bool RegisterScreenCaptureFilter(bool registered);
// Registers (or removes) the devices the settings of most tests name: the audio devices
// "Microphone" and "Microphone (USB Audio)" and the camera "USB Camera". Registered while every
// test program runs, as the screen-capture filter is.
bool RegisterTestDevices(bool registered);
// Registers (or removes, description nullptr being kept) one fake DirectShow device under its
// category ("{33D9A762-…}" audio, "{860BB310-…}" video) and instance key name.
bool RegisterFakeDevice(const wchar_t* category, const wchar_t* instance, const wchar_t* friendlyName,
                        const wchar_t* description, bool registered);
// Handles this process holds, counted from the system's handle table.
int OpenHandleCount();

// A shell that records what the notification-area icon asks of it and answers as told.
struct ShellCall {
    DWORD message;
    NOTIFYICONDATAW data;
};
extern std::vector<ShellCall> g_shellCalls;

struct FakeShell {
    explicit FakeShell(BOOL answer = TRUE);
    ~FakeShell();
    static long Count(DWORD message);
    static std::vector<std::wstring> Balloons();  // the texts of every balloon asked for
};
