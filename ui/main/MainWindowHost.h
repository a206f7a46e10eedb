// What the main window asks of the application that owns it. The window is handed one and never
// reaches past it: the tray's part of a session, the theme switch, the commands it does not handle.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <optional>
#include <string>

// The session as the tray shows it.
enum class SessionPhase {
    Busy,  // a Start, Stop or save is under way: the tray offers neither Start nor Stop, an Exit waits
    Live,  // a session runs
    Idle,  // none runs
};

// What the tray says.
struct TrayNotice {
    std::optional<std::wstring> tooltip;  // from now on; "" gives the idle one, none keeps the current
    std::wstring balloon;                 // said once from the icon, when not empty
    DWORD balloonIcon = NIIF_INFO;

    static TrayNotice Tooltip(std::wstring text) { return {std::move(text), L"", NIIF_INFO}; }
    static TrayNotice Balloon(std::wstring text, DWORD icon) { return {std::nullopt, std::move(text), icon}; }
};

class IMainWindowHost {
public:
    virtual ~IMainWindowHost() = default;
    // True from a Busy phase until the next Live or Idle.
    virtual bool SessionBusy() const = 0;
    // The session went busy, live or idle; the tray follows and says the notice.
    virtual void SessionChanged(SessionPhase phase, const TrayNotice& notice = {}) = 0;
    // News while the phase stays: a new tooltip, a balloon.
    virtual void ShowTrayNotice(const TrayNotice& notice) = 0;
    // The other look: the host replaces the asking window once its message has been handled, so no
    // window is deleted under its own handler.
    virtual void RequestThemeChange() = 0;
    // A menu command the window does not handle; true when the host did.
    virtual bool OnUnhandledCommand(int id) = 0;
};
