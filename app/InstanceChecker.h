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
    bool PublishFirstInstance();
    HWND ActivateRunningInstance(const wchar_t* text, HWND sender);

private:
    void ReleaseStartupLock();

    HANDLE m_mtxData;
    HANDLE m_mtxStartup;
    bool m_pStartupLock = false;  // m_mtxStartup is held
    std::wstring m_strName;
};

// Writes a new main window into the block this copy published; false when it published none.
bool PublishMainWindow(HWND window);

// The first argument that is not a switch ("-" or "/"), or "" when there is none.
std::wstring FileNameArgument(const wchar_t* commandLine);
