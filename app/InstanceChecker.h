// One copy per user session: a start-up lock and a shared block naming the first copy's window.
#pragma once
#include <windows.h>
#include <string>

extern HANDLE g_hInstanceMapping;

class CInstanceChecker {
public:
    explicit CInstanceChecker(const std::wstring& name);
    virtual ~CInstanceChecker();
    CInstanceChecker(const CInstanceChecker&) = delete;
    CInstanceChecker& operator=(const CInstanceChecker&) = delete;

    virtual std::wstring MappingName() const;
    virtual HWND WindowToPublish() const;

    void AcquireStartupLock();
    bool AnotherInstanceRunning() const;
    // Creates the shared block, or takes over one that names no live main window of this program.
    bool PublishFirstInstance();
    // Brings the published window forward and hands it the text; null, with the start-up lock
    // still held, when the block names no live main window of this program.
    HWND ActivateRunningInstance(const wchar_t* text, HWND sender);

private:
    void ReleaseStartupLock();

    HANDLE m_mtxData;
    HANDLE m_mtxStartup;
    bool m_pStartupLock = false;  // m_mtxStartup is held
    std::wstring m_strName;
};

// A live window of a process of this program's image name that is its main window (a dialog
// holding the Start button).
bool IsMainWindowOfThisProgram(HWND window);

// Writes a new main window into the block this copy published; false when it published none.
bool PublishMainWindow(HWND window);

// The first argument that is not a switch ("-" or "/"), or "" when there is none.
std::wstring FileNameArgument(const wchar_t* commandLine);
