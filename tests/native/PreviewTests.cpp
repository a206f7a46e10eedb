// The preview line for the media settings' choices, and what is read from the encoder's answer.
#include "engine/Preview.h"
#include <gtest/gtest.h>
#include <cmath>

namespace {

EncoderInputs Choices() {
    EncoderInputs in;
    in.recMode = L"Desktop";
    in.muteAudio = 0;
    in.audioDevice = L"Microphone";
    in.disableVideo = 1;
    in.screenWidth = 1920;
    in.screenHeight = 1080;
    return in;
}

}  // namespace

// The inputs a session would open, one picture of the composition and of each video input, and a
// level for each sound input; never a target.
TEST(PreviewLine, TakesTheChoicesInputsAndWritesOnlyToItsOwnOutputs) {
    const std::wstring chain = L"astats=metadata=1:reset=0,ametadata=print:key=lavfi.astats.Overall.Peak_level,"
                               L"ametadata=print:key=lavfi.astats.Overall.RMS_level";
    const std::wstring picture = L" -map \"[pic]\" -ss 1 -frames:v 1 -c:v bmp -pix_fmt bgr24 -f image2pipe -";
    EncoderInputs in = Choices();
    PreviewLine line = ComposePreviewLine(in);
    EXPECT_EQ(line.text, L"ffmpeg -framerate 12 -hide_banner -nostdin -nostats -f dshow -i video=\"screen-capture-recorder\" "
                         L"-f dshow -i audio=\"Microphone\" -filter_complex \"[0:v]split[p][s0]; [s0]scale=320:180[c0]; "
                         L"[p]scale=320:-2[v]; [v][c0]vstack[pic]\" -filter_complex \"[1:a]" + chain + L"[a0]\"" + picture +
                         L" -map \"[a0]\" -t 2 -f null -");
    EXPECT_EQ(line.videos, std::vector<std::wstring>{L""});
    EXPECT_EQ(line.sounds, std::vector<std::wstring>{L"Microphone"});

    in.recMode = L"Other";
    in.primaryVidSrc = L"Capture Card";
    in.disableVideo = 0;
    in.videoDevice = L"USB Camera";
    in.overlayVideoPos = 3;
    in.alsoRecord = L"Stereo Mix";
    line = ComposePreviewLine(in);
    EXPECT_EQ(line.text, L"ffmpeg -framerate 12 -hide_banner -nostdin -nostats -f dshow -i video=\"Capture Card\" "
                         L"-f dshow -i video=\"USB Camera\" -f dshow -i audio=\"Microphone\" -f dshow -i audio=\"Stereo Mix\" "
                         L"-filter_complex \"[0:v]split[p][s0]; [s0]scale=320:180[c0]; [1:v]split[o][s1]; [s1]scale=320:180[c1]; "
                         L"[o]scale=250:-1[inner]; [p] [inner] overlay =1660:10,scale=320:-2[v]; [v][c0][c1]vstack=inputs=3[pic]\" "
                         L"-filter_complex \"[2:a]" + chain + L"[a0]; [3:a]" + chain + L"[a1]\"" + picture +
                         L" -map \"[a0]\" -t 2 -f null - -map \"[a1]\" -t 2 -f null -");
    EXPECT_EQ(line.videos, (std::vector<std::wstring>{L"Capture Card", L"USB Camera"}));
    EXPECT_EQ(line.sounds, (std::vector<std::wstring>{L"Microphone", L"Stereo Mix"}));

    in.recMode = L"Desktop (built-in)";
    in.disableVideo = 1;
    in.muteAudio = 1;  // muted: nothing to hear, whatever the devices
    line = ComposePreviewLine(in);
    EXPECT_NE(line.text.find(L"-f gdigrab -framerate 12 -offset_x 0 -offset_y 0 -video_size 1920x1080 -i desktop -filter_complex"),
              std::wstring::npos) << testing::PrintToString(line.text);
    EXPECT_EQ(line.text.find(L"audio="), std::wstring::npos);
    EXPECT_TRUE(line.sounds.empty());
}

// The last figures of each chain, told apart by the printers' numbers; the Windows build's figure
// for digital silence is finite.
TEST(PreviewLevels, TakeEachInputsLastFiguresAndSaySilence) {
    const std::string said =
        "[Parsed_ametadata_1 @ 0000000000cbd040] frame:0    pts:0       pts_time:0\r\n"
        "[Parsed_ametadata_1 @ 0000000000cbd040] lavfi.astats.Overall.Peak_level=-30.5\r\n"
        "[Parsed_ametadata_4 @ 0000000000cbd700] lavfi.astats.Overall.Peak_level=-6153.053111\r\n"
        "[Parsed_ametadata_5 @ 0000000000cbd700] lavfi.astats.Overall.RMS_level=-inf\r\n"
        "[Parsed_ametadata_1 @ 0000000000cbd040] lavfi.astats.Overall.Peak_level=-18.063656\r\n"
        "[Parsed_ametadata_2 @ 0000000000cbd044] lavfi.astats.Overall.RMS_level=-21.074051\r\n"
        "[Parsed_ametadata_10 @ 0000000000cbd048] lavfi.astats.Overall.Peak_level=-3.0\r\n";  // no such input
    const std::vector<SoundLevel> levels = PreviewLevels(said, 3);
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_DOUBLE_EQ(levels[0].peak, -18.063656);
    EXPECT_DOUBLE_EQ(levels[0].mean, -21.074051);
    EXPECT_FALSE(levels[0].Silent());
    EXPECT_TRUE(levels[1].measured);
    EXPECT_TRUE(levels[1].Silent());
    EXPECT_FALSE(levels[2].measured);
    EXPECT_TRUE(levels[2].Silent());
    EXPECT_EQ(LevelText(L"Microphone", levels[0]), L"Microphone: peak -18.1, mean -21.1 dB");
    EXPECT_EQ(LevelText(L"Stereo Mix", levels[1]), L"Stereo Mix: silent");
    EXPECT_EQ(NoSoundHint(L"Microphone"), L"No sound from Microphone: check that it is connected and not muted in Windows");
}

// A bottom-up 24-bit bitmap with padded rows comes out top row first; its parts and blackness.
TEST(PreviewPicture, ReadsTheEncodersBitmapAndTellsABlackPart) {
    const int w = 3, h = 4, stride = 12;  // 9 bytes a row, padded to 12
    std::string bmp(54 + stride * h, '\0');
    const auto put = [&](size_t at, uint32_t v, int size) {
        for (int i = 0; i < size; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put(2, static_cast<uint32_t>(bmp.size()), 4);
    put(10, 54, 4), put(14, 40, 4), put(18, w, 4), put(22, h, 4), put(26, 1, 2), put(28, 24, 2);
    for (int row = 0; row < h; ++row)  // stored bottom-up: the last stored row is the top one
        for (int x = 0; x < w * 3; ++x) bmp[54 + stride * (h - 1 - row) + x] = static_cast<char>(row < 2 ? 200 : 10);
    const PreviewPicture picture = PictureFromBmp(bmp);
    ASSERT_EQ(picture.width, w);
    ASSERT_EQ(picture.height, h);
    EXPECT_EQ(picture.bgr[0], 200);
    EXPECT_EQ(picture.bgr.back(), 10);
    EXPECT_FALSE(LooksBlack(PartOf(picture, 0, 2)));
    EXPECT_TRUE(LooksBlack(PartOf(picture, 2, 2)));
    EXPECT_TRUE(LooksBlack(PartOf(picture, 3, 2)));  // beyond the picture: nothing to see
    EXPECT_EQ(PictureFromBmp(bmp.substr(0, 60)).width, 0);  // cut short
    EXPECT_EQ(PictureFromBmp("").width, 0);
}
