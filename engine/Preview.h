// A look before going live: the encoder run for about two seconds on the media settings' choices,
// with no target. It hands back one picture (the composed video, then each video input alone) and,
// as it goes, the level of each sound input; these read what it said.
#pragma once
#include "engine/CommandLine.h"
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct PreviewLine {
    std::wstring text;
    std::vector<std::wstring> videos;  // the video inputs as the user knows them, primary first
    std::vector<std::wstring> sounds;  // the sound inputs as the user knows them, in line order
    std::vector<std::pair<std::wstring, std::wstring>> devices;  // the name given, the name known
};
inline constexpr int kPreviewWidth = 320;        // of each part of the picture
inline constexpr int kPreviewInputHeight = 180;  // of each input's own part, below the composed one

// The line for in's sources, overlay and sound devices (names already passable).
PreviewLine ComposePreviewLine(const EncoderInputs& in);

inline constexpr double kSilenceDb = -60;

struct SoundLevel {
    bool measured = false;  // the encoder said a figure for this input
    double peak = 0, mean = 0;  // dB full scale; digital silence is -inf, or -6153 from the Windows build
    // Nothing said, or nothing above -60 dB: the device gives no sound worth the name.
    bool Silent() const;
};
// The last figures the encoder said for each of count sound inputs.
std::vector<SoundLevel> PreviewLevels(std::string_view said, size_t count);

// A 24-bit bitmap as the encoder writes it, top row first; empty when bytes hold none.
struct PreviewPicture {
    int width = 0, height = 0;
    std::vector<uint8_t> bgr;  // width * 3 bytes a row
};
PreviewPicture PictureFromBmp(std::string_view bytes);
// Rows [top, top + rows) of a picture.
PreviewPicture PartOf(const PreviewPicture& picture, int top, int rows);
// Black all over: no channel of any pixel is brighter than a camera's noise in the dark.
bool LooksBlack(const PreviewPicture& picture);

// The hints under the preview: each input that gave nothing, as the user knows it.
std::wstring NoSoundHint(const std::wstring& device);
std::wstring NoPictureHint(const std::wstring& device);
// "peak -18.1, mean -21.1 dB", or "silent"; with the device before it, "Microphone: silent".
std::wstring LevelFigures(const SoundLevel& level);
std::wstring LevelText(const std::wstring& device, const SoundLevel& level);
