// The preview line and what the encoder answers to it.
#include "engine/Preview.h"
#include "engine/Readiness.h"
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::wstring Quoted(const std::wstring& name) { return L"\"" + name + L"\""; }

// Each sound chain is three filters: the statistics, then one printer of each figure. The printers'
// instance numbers tell the chains apart in what the encoder says.
constexpr wchar_t kSoundChain[] = L"astats=metadata=1:reset=0,ametadata=print:key=lavfi.astats.Overall.Peak_level,"
                                  L"ametadata=print:key=lavfi.astats.Overall.RMS_level";

}  // namespace

PreviewLine ComposePreviewLine(const EncoderInputs& in) {
    PreviewLine line;
    const bool other = in.recMode == kRecModeOther, builtIn = in.recMode == kRecModeBuiltIn;
    const auto device = [&](const std::wstring& stored) {
        line.devices.emplace_back(EncoderDeviceName(stored, in.devices), stored);
        return line.devices.back().first;
    };
    std::wstring cmd = L"ffmpeg -framerate " + in.videoFps + L" -hide_banner -nostdin -nostats ";
    if (other)
        cmd += L"-f dshow -i video=" + Quoted(device(in.primaryVidSrc));
    else if (builtIn)
        cmd += L"-f gdigrab -framerate " + in.videoFps + L" -offset_x " + std::to_wstring(in.screenLeft) + L" -offset_y " +
               std::to_wstring(in.screenTop) + L" -video_size " + std::to_wstring(in.screenWidth) + L"x" +
               std::to_wstring(in.screenHeight) + L" -i desktop";
    else
        cmd += L"-f dshow -i video=\"screen-capture-recorder\"";
    if (!other && !builtIn) line.devices.emplace_back(L"screen-capture-recorder", L"");  // the screen, as hints say it
    line.videos.push_back(other ? in.primaryVidSrc : L"");
    const bool overlay = in.disableVideo == 0 && !in.videoDevice.empty();
    if (overlay) {
        cmd += L" -f dshow -i video=" + Quoted(device(in.videoDevice));
        line.videos.push_back(in.videoDevice);
    }
    if (in.muteAudio == 0 && !in.audioDevice.empty()) line.sounds.push_back(in.audioDevice);
    if (in.muteAudio == 0 && !in.alsoRecord.empty() && in.alsoRecord != in.audioDevice) line.sounds.push_back(in.alsoRecord);
    for (const std::wstring& sound : line.sounds) cmd += L" -f dshow -i audio=" + Quoted(device(sound));

    // One picture: the composed video, and below it each video input alone at a fixed size.
    const std::wstring part = L"scale=" + std::to_wstring(kPreviewWidth) + L":" + std::to_wstring(kPreviewInputHeight);
    std::wstring graph = L"[0:v]split[p][s0]; [s0]" + part + L"[c0]; ";
    if (overlay)
        graph += L"[1:v]split[o][s1]; [s1]" + part + L"[c1]; [o]scale=250:-1[inner]; [p] [inner] overlay =" +
                 OverlayPosition(in.screenWidth, in.screenHeight, in.overlayVideoPos) + L",";
    else
        graph += L"[p]";
    graph += L"scale=" + std::to_wstring(kPreviewWidth) + L":-2[v]; [v][c0]" + (overlay ? L"[c1]vstack=inputs=3" : L"vstack") + L"[pic]";
    cmd += L" -filter_complex \"" + graph + L"\"";
    if (!line.sounds.empty()) {
        std::wstring sound;
        for (size_t i = 0; i < line.sounds.size(); ++i)
            sound += std::wstring(i ? L"; " : L"") + L"[" + std::to_wstring(line.videos.size() + i) + L":a]" + kSoundChain +
                     L"[a" + std::to_wstring(i) + L"]";
        cmd += L" -filter_complex \"" + sound + L"\"";
    }
    // A picture from a second in, once the sources have settled.
    cmd += L" -map \"[pic]\" -ss 1 -frames:v 1 -c:v bmp -pix_fmt bgr24 -f image2pipe -";
    for (size_t i = 0; i < line.sounds.size(); ++i) cmd += L" -map \"[a" + std::to_wstring(i) + L"]\" -t 2 -f null -";
    line.text = std::move(cmd);
    return line;
}

std::vector<SoundLevel> PreviewLevels(std::string_view said, size_t count) {
    std::vector<SoundLevel> levels(count);
    constexpr std::string_view printer = "[Parsed_ametadata_";
    for (size_t at = said.find(printer); at != std::string_view::npos; at = said.find(printer, at + 1)) {
        const size_t end = said.find('\n', at);
        const std::string row(said.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        const size_t chain = static_cast<size_t>(std::atoi(row.c_str() + printer.size())) / 3;
        const size_t eq = row.find('=');
        if (chain >= count || eq == std::string::npos) continue;
        const double value = std::strtod(row.c_str() + eq + 1, nullptr);  // also "-inf"
        if (row.find("Overall.Peak_level=") != std::string::npos) levels[chain].peak = value, levels[chain].measured = true;
        if (row.find("Overall.RMS_level=") != std::string::npos) levels[chain].mean = value;
    }
    return levels;
}

PreviewPicture PictureFromBmp(std::string_view bytes) {
    PreviewPicture picture;
    const auto number = [&](size_t at, size_t size) {
        uint32_t n = 0;
        for (size_t i = 0; i < size; ++i) n |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i])) << (8 * i);
        return n;
    };
    if (bytes.size() < 54 || bytes.substr(0, 2) != "BM" || number(28, 2) != 24) return picture;
    const uint32_t offset = number(10, 4);
    const int width = static_cast<int>(number(18, 4));
    const int rawHeight = static_cast<int>(number(22, 4));
    const int height = rawHeight < 0 ? -rawHeight : rawHeight;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    if (width <= 0 || width > 16384 || height == 0 || height > 16384 || offset + stride * height > bytes.size()) return picture;
    picture.width = width;
    picture.height = height;
    picture.bgr.resize(static_cast<size_t>(width) * 3 * height);
    for (int row = 0; row < height; ++row) {
        const int from = rawHeight < 0 ? row : height - 1 - row;  // bottom-up unless the height is negative
        std::memcpy(picture.bgr.data() + static_cast<size_t>(row) * width * 3, bytes.data() + offset + stride * from,
                    static_cast<size_t>(width) * 3);
    }
    return picture;
}

PreviewPicture PartOf(const PreviewPicture& picture, int top, int rows) {
    PreviewPicture part;
    if (top < 0 || rows <= 0 || top + rows > picture.height) return part;
    part.width = picture.width;
    part.height = rows;
    const size_t row = static_cast<size_t>(picture.width) * 3;
    part.bgr.assign(picture.bgr.begin() + static_cast<ptrdiff_t>(row * top), picture.bgr.begin() + static_cast<ptrdiff_t>(row * (top + rows)));
    return part;
}

bool LooksBlack(const PreviewPicture& picture) {
    if (picture.bgr.empty()) return true;
    for (uint8_t channel : picture.bgr)
        if (channel > 40) return false;
    return true;
}

std::wstring NoSoundHint(const std::wstring& device) {
    return L"No sound from " + device + L": check that it is connected and not muted in Windows";
}

std::wstring NoPictureHint(const std::wstring& device) {
    if (device.empty()) return L"No picture from the screen: check that the screen capture is installed, or choose \"Desktop (built-in)\"";
    return L"No picture from " + device + L": check that it is connected and not in use by another program";
}

bool SoundLevel::Silent() const { return !measured || !(peak >= kSilenceDb); }

std::wstring LevelFigures(const SoundLevel& level) {
    if (level.Silent()) return L"silent";
    wchar_t text[64];
    std::swprintf(text, 64, L"peak %.1f, mean %.1f dB", level.peak, level.mean > -120 ? level.mean : -120.0);
    return text;
}

std::wstring LevelText(const std::wstring& device, const SoundLevel& level) { return device + L": " + LevelFigures(level); }
