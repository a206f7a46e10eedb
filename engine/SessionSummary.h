// What the notification-area icon says about a running session.
#pragma once
#include <string>
#include <vector>

inline constexpr size_t kTooltipUnits = 127;  // the shell's tooltip holds 128 with its zero
inline constexpr size_t kBalloonUnits = 255;

// One line, for example "Vandrel: live on 2 channels, recording".
std::wstring LiveTooltip(size_t channels, bool recording);
// Names the servers and the recording file of a session that just went live, cut to fit.
std::wstring LiveBalloon(const std::vector<std::wstring>& servers, const std::wstring& file);
