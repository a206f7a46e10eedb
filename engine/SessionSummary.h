// What the notification-area icon says about a running session.
#pragma once
#include <string>
#include <vector>

inline constexpr size_t kTooltipUnits = 127;  // the shell's tooltip holds 128 with its zero
inline constexpr size_t kBalloonUnits = 255;

// Names the servers and the recording file of a session being started, cut to fit; what the
// encoder then reports shows in the tooltip.
std::wstring LiveBalloon(const std::vector<std::wstring>& servers, const std::wstring& file);
