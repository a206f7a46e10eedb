// The encoder command line, byte for byte.
#include "engine/CommandLine.h"
#include "engine/SoundPacing.h"
#include <gtest/gtest.h>
#include <tuple>

namespace {

const std::wstring kOutput =
    L" -flags +global_header -force_key_frames expr:gte(t,n_forced*2) -b:v 1000k -minrate 1000k "
    L"-maxrate 1000k -bufsize:v 1000k -preset:v veryfast -pix_fmt yuv420p -tune film -c:a libmp3lame "
    L"-q:a 2 -ar 44100 ";

CStreamingServices Server(const wchar_t* name, const wchar_t* url, const wchar_t* key, int inUse) {
    CStreamingServices s;
    s.Name = name;
    s.RtmpUrl = url;
    s.Key = key;
    s.InUse = inUse;
    return s;
}

class CommandLineTest : public ::testing::Test {
protected:
    CommandLineTest() {
        in.recMode = L"Desktop";
        in.disableVideo = 1;
        in.audioDevice = L"Microphone";
        in.videoDevice = L"USB Camera";
        in.screenWidth = 1920;
        in.screenHeight = 1080;
        in.localTime.tm_year = 124;  // 2024-03-05 14:07
        in.localTime.tm_mon = 2;
        in.localTime.tm_mday = 5;
        in.localTime.tm_hour = 14;
        in.localTime.tm_min = 7;
    }
    ComposedCommand Compose() { return ComposeEncoderCommandLine(in, servers); }
    // The text after "-f tee ".
    std::wstring Tee() {
        const std::wstring text = Compose().text;
        const size_t at = text.find(L"-f tee ");
        return at == std::wstring::npos ? L"<none>" : text.substr(at + 7);
    }
    EncoderInputs in;
    ServerList servers;
};

}  // namespace

TEST_F(CommandLineTest, WorkedExampleComesOutByteForByte) {
    servers.AppendServer(Server(L"Unused", L"rtmp://unused/live", L"zzz", 0));
    servers.AppendServer(Server(L"Studio", L"rtmp://a.example/live", L"abc123", 1));
    in.saveLocally = true;
    in.recordingPath = L"C:\\Users\\Public\\Videos\\Screen Recording.mp4";
    const ComposedCommand c = Compose();
    ASSERT_EQ(c.error, ComposeError::None);
    EXPECT_EQ(c.text,
              L"ffmpeg -framerate 12 -hwaccel auto  -vsync 1 -loglevel quiet -re -rtbufsize 1500M "
              L"-f dshow -i video=\"screen-capture-recorder\" -f dshow -i audio=\"Microphone\" "
              L"-filter_complex \"amerge=inputs=1\" -map 0:v -map 1:a" + kOutput +
              L"-vcodec libx264 -ac 2  -f tee \"[f=flv:onfail=ignore]rtmp://a.example/live/abc123"
              L"|[f=flv:onfail=ignore]C:/Users/Public/Videos/Screen Recording.mp4\" -y");
    EXPECT_EQ(c.recordingDevice, L"Microphone");  // filled from the audio device
}

TEST_F(CommandLineTest, OverlayAndMuteCombinationsInBothScreenCaptures) {
    servers.AppendServer(Server(L"S", L"rtmp://s/live", L"k", 1));
    in.recordingDevice = L"Stereo Mix (Realtek Audio)";
    in.screenLeft = 0, in.screenTop = 0, in.screenWidth = 1280, in.screenHeight = 800;
    const std::wstring head = L"ffmpeg -framerate 12 -hwaccel auto  ";
    const std::wstring rest = L" -loglevel quiet -re -rtbufsize 1500M ";
    const std::wstring filter = L"-f dshow -i video=\"screen-capture-recorder\"";
    const std::wstring gdi = L"-f gdigrab -framerate 12 -offset_x 0 -offset_y 0 -video_size 1280x800 -i desktop";
    const std::wstring overlay =
        L" -f dshow -i video=\"USB Camera\" -filter_complex \"[1] scale=250:-1[inner]; [0] [inner] overlay =10:534\"";
    const std::wstring sound = L" -f dshow -i audio=\"Microphone\" -filter_complex \"amerge=inputs=1\"";
    const std::wstring mix = L":audio=\"Stereo Mix (Realtek Audio)\"";
    const std::wstring silent = L" -f lavfi -i anullsrc=channel_layout=stereo:sample_rate=44100";
    const std::wstring tail = kOutput + L"-vcodec libx264 -ac 2  -f tee \"[f=flv:onfail=ignore]rtmp://s/live/k\" -y";
    const struct {
        const wchar_t* mode;
        int disableVideo, muteAudio;
        std::wstring line;
    } rows[] = {
        {L"Desktop", 0, 0, head + L"-vsync 1" + rest + filter + overlay + sound + L"  -map 0:v -map 2:a" + tail},
        {L"Desktop", 0, 1, head + L"-vsync 1" + rest + filter + mix + overlay + L"   -filter:a \"volume = 0.0\" -map 0:v -map 0:a" + tail},
        {L"Desktop", 1, 0, head + L"-vsync 1" + rest + filter + sound + L" -map 0:v -map 1:a" + tail},
        {L"Desktop", 1, 1, head + rest + filter + mix + L" -filter:a \"volume = 0.0\" -map 0:v -map 0:a" + tail},
        // Built in: no sound through input 0; muted, a silent track is the last input.
        {L"Desktop (built-in)", 0, 0, head + L"-vsync 1" + rest + gdi + overlay + sound + L"  -map 0:v -map 2:a" + tail},
        {L"Desktop (built-in)", 0, 1, head + L"-vsync 1" + rest + gdi + overlay + L"  " + silent + L" -map 0:v -map 2:a" + tail},
        {L"Desktop (built-in)", 1, 0, head + L"-vsync 1" + rest + gdi + sound + L" -map 0:v -map 1:a" + tail},
        {L"Desktop (built-in)", 1, 1, head + rest + gdi + silent + L" -map 0:v -map 1:a" + tail},
    };
    for (const auto& row : rows) {
        in.recMode = row.mode, in.disableVideo = row.disableVideo, in.muteAudio = row.muteAudio;
        EXPECT_EQ(Compose().text, row.line) << testing::PrintToString(std::wstring(row.mode)) << " overlay off "
                                            << row.disableVideo << " muted " << row.muteAudio;
    }
    // Muted on a first run, with no device at all: the silent track, never audio="".
    in.recMode = L"Desktop", in.recordingDevice.clear(), in.audioDevice.clear(), in.muteAudio = 1, in.disableVideo = 1;
    EXPECT_EQ(Compose().text, head + rest + filter + silent + L" -map 0:v -map 1:a" + tail);
    in.disableVideo = 0;
    EXPECT_EQ(Compose().text, head + L"-vsync 1" + rest + filter + overlay + L"  " + silent + L" -map 0:v -map 2:a" + tail);
    in.muteAudio = 0;  // sound on, from no device: refused, naming the field
    EXPECT_EQ(ComposeErrorMessage(Compose()), L"Streaming cannot start: no audio device is chosen. Please choose one "
                                              L"in Media Settings (Select Audio Device), or turn on Mute Audio.");
    in.audioDevice = L"Microphone";
    // The built-in capture takes the primary screen where it lies, and never the sound device's name.
    in.recMode = L"Desktop (built-in)", in.screenLeft = -1920, in.screenTop = 8, in.recordingDevice = L"Bad\"";
    EXPECT_NE(Compose().text.find(L"-offset_x -1920 -offset_y 8 -video_size 1280x800 -i desktop"), std::wstring::npos);
}

TEST_F(CommandLineTest, MapsFollowMuteAndOverlayAsTheInputsDoAnyValueButZeroBeingOn) {
    servers.AppendServer(Server(L"S", L"rtmp://s", L"k", 1));
    in.muteAudio = 2, in.disableVideo = 1;
    EXPECT_NE(Compose().text.find(L" -filter:a \"volume = 0.0\" -map 0:v -map 0:a -flags"), std::wstring::npos);
    in.muteAudio = 0, in.disableVideo = 2;
    EXPECT_NE(Compose().text.find(L"amerge=inputs=1\" -map 0:v -map 1:a -flags"), std::wstring::npos);
}

TEST(OverlayPosition, CornersOnCommonScreens) {
    EXPECT_EQ(OverlayPosition(1920, 1080, 0), L"10:830");
    EXPECT_EQ(OverlayPosition(1920, 1080, 1), L"10:10");
    EXPECT_EQ(OverlayPosition(1920, 1080, 2), L"1660:830");
    EXPECT_EQ(OverlayPosition(1920, 1080, 3), L"1660:10");
    EXPECT_EQ(OverlayPosition(1920, 1080, 4), L"0:0");
    EXPECT_EQ(OverlayPosition(1920, 1080, -1), L"0:0");
    EXPECT_EQ(OverlayPosition(1280, 1024, 0), L"10:714");
    EXPECT_EQ(OverlayPosition(1280, 1024, 2), L"1020:714");
    EXPECT_EQ(OverlayPosition(0, 0, 1), L"10:10");  // no screen size: no crash
}

TEST_F(CommandLineTest, OtherCaptureModeUsesThePrimarySourceEvenWhenEmpty) {
    servers.AppendServer(Server(L"S", L"rtmp://s", L"k", 1));
    in.recMode = L"Other";
    in.primaryVidSrc = L"HD Capture";
    EXPECT_NE(Compose().text.find(L"-f dshow -i video=\"HD Capture\" -f dshow -i audio="), std::wstring::npos);
    in.primaryVidSrc.clear();
    EXPECT_NE(Compose().text.find(L"-i video=\"\" -f dshow"), std::wstring::npos);
    in.recMode = L"other";  // only the exact value counts
    EXPECT_NE(Compose().text.find(L"video=\"screen-capture-recorder\""), std::wstring::npos);
}

TEST_F(CommandLineTest, TeeTargetsFollowListOrderAndLocalFileRows) {
    servers.AppendServer(Server(L"B", L"rtmp://b/live", L"", 1));
    servers.AppendServer(Server(L"Off", L"rtmp://off", L"x", 0));
    servers.AppendServer(Server(L"A", L"RTMPS://A.example/Live", L"ka", 1));
    // The encoder knows its protocols by lower-case names only; the rest goes as typed.
    EXPECT_EQ(Tee(), L"\"[f=flv:onfail=ignore]rtmp://b/live/|[f=flv:onfail=ignore]rtmps://A.example/Live/ka\" -y");

    for (auto& s : {0, 2}) servers.ServerAt(s).InUse = 0;
    in.saveLocally = true;
    in.recordingPath = L"D:\\clips\\x.mp4";
    EXPECT_EQ(Tee(), L"\"[f=flv:onfail=ignore]D:/clips/x.mp4\" -y");
    EXPECT_NE(Compose().text.find(L"-vcodec libx264 -ac 2"), std::wstring::npos);

    in.recordingPath = L"D:\\clips\\x.wmv";
    EXPECT_EQ(Tee(), L"\"D:/clips/x.wmv\" -y");
    EXPECT_NE(Compose().text.find(L"-vcodec wmv2 -ac 2"), std::wstring::npos);

    in.recordingPath = L"clip.mp4";  // no folder: relative to the encoder's directory
    EXPECT_EQ(Tee(), L"\"[f=flv:onfail=ignore]clip.mp4\" -y");
}

TEST_F(CommandLineTest, ExtensionIsComparedWithoutCaseAndThePathKeptAsTyped) {
    servers.AppendServer(Server(L"A", L"rtmp://a", L"k", 1));
    in.saveLocally = true;
    in.recordingPath = L"C:\\V\\Show.MP4";
    EXPECT_EQ(Tee(), L"\"[f=flv:onfail=ignore]rtmp://a/k|[f=flv:onfail=ignore]C:/V/Show.MP4\" -y");
    servers.ServerAt(0).InUse = 0;
    in.recordingPath = L"C:\\V\\Show.Wmv";
    EXPECT_EQ(Tee(), L"\"C:/V/Show.Wmv\" -y");
}

TEST_F(CommandLineTest, UncheckedOrOtherExtensionAddsNoLocalTarget) {
    servers.AppendServer(Server(L"A", L"rtmp://a", L"k", 1));
    in.recordingPath = L"C:\\V\\x.mp4";
    EXPECT_EQ(Tee(), L"\"[f=flv:onfail=ignore]rtmp://a/k\" -y");  // Save Locally off
    in.saveLocally = true;
    in.recordingPath = L"C:\\V\\x.avi";
    EXPECT_EQ(Tee(), L"\"[f=flv:onfail=ignore]rtmp://a/k\" -y");
    in.recordingPath = L"";
    EXPECT_EQ(Tee(), L"\"[f=flv:onfail=ignore]rtmp://a/k\" -y");
}

TEST_F(CommandLineTest, SeparateFileStampGoesBeforeTheLastDot) {
    in.saveLocally = true;
    in.separateFile = true;
    in.recordingPath = L"C:\\Videos\\a.b\\Screen Recording.mp4";
    EXPECT_EQ(Tee(), L"\"[f=flv:onfail=ignore]C:/Videos/a.b/Screen Recording_2024-Mar-05_14-07.mp4\" -y");
    in.localTime.tm_mon = 11, in.localTime.tm_mday = 31, in.localTime.tm_hour = 9, in.localTime.tm_min = 0;
    in.recordingPath = L"C:\\Videos\\a.wmv";
    EXPECT_EQ(Tee(), L"\"C:/Videos/a_2024-Dec-31_09-00.wmv\" -y");
}

TEST_F(CommandLineTest, RecordingDeviceIsKeptOnceSet) {
    servers.AppendServer(Server(L"A", L"rtmp://a", L"k", 1));
    in.recordingDevice = L"Stereo Mix (Realtek Audio)";
    EXPECT_EQ(Compose().recordingDevice, L"Stereo Mix (Realtek Audio)");
    in.recordingDevice.clear();
    in.muteAudio = 1;
    const ComposedCommand c = Compose();
    EXPECT_EQ(c.recordingDevice, L"Microphone");
    EXPECT_NE(c.text.find(L"video=\"screen-capture-recorder\":audio=\"Microphone\""), std::wstring::npos);
}

TEST_F(CommandLineTest, WmvFileWithChannelsIsRefused) {
    servers.AppendServer(Server(L"A", L"rtmp://a", L"k", 1));
    in.saveLocally = true;
    in.recordingPath = L"C:\\V\\x.wmv";
    const ComposedCommand c = Compose();
    EXPECT_EQ(c.error, ComposeError::WmvWithChannels);
    EXPECT_TRUE(c.text.empty());
    EXPECT_NE(ComposeErrorMessage(c).find(L"WMV"), std::wstring::npos);
}

TEST_F(CommandLineTest, NothingToSendToIsRefused) {
    servers.AppendServer(Server(L"A", L"rtmp://a", L"k", 0));
    EXPECT_EQ(Compose().error, ComposeError::NoTarget);
    in.saveLocally = true;
    in.recordingPath = L"C:\\V\\x.mov";
    EXPECT_EQ(Compose().error, ComposeError::NoTarget);
    EXPECT_FALSE(ComposeErrorMessage(Compose()).empty());
}

TEST_F(CommandLineTest, ValuesThatWouldBreakOutOfTheirPlaceAreRefused) {
    servers.AppendServer(Server(L"A", L"rtmp://a", L"k", 1));
    const auto refused = [&](const wchar_t* what) {
        const ComposedCommand c = Compose();
        return c.error == ComposeError::UnsafeValue && c.text.empty() &&
               ComposeErrorMessage(c).find(what) != std::wstring::npos;
    };
    servers.ServerAt(0).Key = L"k\" -i evil";
    EXPECT_TRUE(refused(L"A"));
    servers.ServerAt(0).Key = L"k|file.flv";
    EXPECT_TRUE(refused(L"A"));
    servers.ServerAt(0).Key = L"k";
    servers.ServerAt(0).RtmpUrl = L"rtmp://a|x";
    EXPECT_TRUE(refused(L"A"));
    servers.ServerAt(0).RtmpUrl = L"rtmp://a";
    in.audioDevice = L"Mic\" -y";
    EXPECT_TRUE(refused(L"Mic"));
    in.audioDevice = L"Mic\\";
    EXPECT_TRUE(refused(L"Mic"));
    in.audioDevice = L"Mic | Line";  // a bar is harmless inside a device name
    EXPECT_EQ(Compose().error, ComposeError::None);
    in.saveLocally = true;
    in.recordingPath = L"C:\\V\\a|b.mp4";
    EXPECT_TRUE(refused(L"a|b"));
    in.recordingPath = L"C:\\V\\a.mp4";
    in.videoDevice = L"Cam\"";  // not used while the overlay is off
    EXPECT_EQ(Compose().error, ComposeError::None);
    in.disableVideo = 0;
    EXPECT_TRUE(refused(L"Cam"));
}

TEST_F(CommandLineTest, DevicesGoInByANameTheEncoderOpensAndSplitsRight) {
    servers.AppendServer(Server(L"A", L"rtmp://a", L"k", 1));
    in.devices = {{L"Mic \"Pro\" (Wave:3)", L"Mic \"Pro\" (Wave:3)", L"@device_cm_{A}\\wave_{2}"},
                  {L"HD Webcam (Front)", L"Integrated Camera", L"@device_pnp_\\\\?\\usb#1"},
                  {L"Stereo Mix (Realtek Audio)", L"Stereo Mix (Realtek Audio)", L"@device_cm_{A}\\wave_{3}"}};
    in.audioDevice = L"Mic \"Pro\" (Wave:3)";  // refused by its stored name without the devices
    in.videoDevice = L"HD Webcam (Front)";
    in.disableVideo = 0;
    ComposedCommand c = Compose();
    ASSERT_EQ(c.error, ComposeError::None);
    EXPECT_NE(c.text.find(L"-i video=\"screen-capture-recorder\" -f dshow -i video=\"@device_pnp_\\\\?\\usb#1\" "
                          L"-filter_complex \"[1] scale=250:-1[inner]; [0] [inner] overlay =10:830\" "
                          L"-f dshow -i audio=\"@device_cm_{A}\\wave_{2}\" "), std::wstring::npos) << c.text;
    EXPECT_EQ(c.devices, (std::vector<std::pair<std::wstring, std::wstring>>{
                             {L"@device_pnp_\\\\?\\usb#1", L"HD Webcam (Front)"}, {L"@device_cm_{A}\\wave_{2}", in.audioDevice}}));
    in.muteAudio = 1;
    in.recordingDevice = L"Stereo Mix (Realtek Audio)";  // by its friendly name, which the encoder matches
    EXPECT_NE(Compose().text.find(L"video=\"screen-capture-recorder\":audio=\"Stereo Mix (Realtek Audio)\" "), std::wstring::npos);
}

TEST_F(CommandLineTest, StreamQualityTakesTheRatesTheSizeAndTheSoundCodec) {
    servers.AppendServer(Server(L"A", L"rtmp://a", L"k", 1));
    const std::wstring designs = Compose().text;
    const std::wstring rates = L"-b:v 1000k -minrate 1000k -maxrate 1000k -bufsize:v 1000k";
    const std::wstring mp3 = L"-c:a libmp3lame -q:a 2 -ar 44100";
    const struct {
        const wchar_t *bitrate, *size, *codec;
        int overlay;
        const wchar_t* file;
        std::vector<std::pair<std::wstring, std::wstring>> swaps;  // pieces of the design's line replaced
    } rows[] = {
        {L"1000", L"Screen", L"MP3", 0, nullptr, {}},  // the defaults, written out, change nothing
        {L"3000", L"", L"", 0, nullptr, {{rates, L"-b:v 3000k -minrate 3000k -maxrate 3000k -bufsize:v 3000k"}}},
        {L"", L"720p", L"", 0, nullptr, {{L"-map 0:v -map 1:a", L"-map 0:v -map 1:a -vf \"scale=-2:min(720\\,ih)\""}}},
        {L"", L"", L"aac", 0, nullptr, {{mp3, L"-c:a aac -b:a 160k -ar 44100"}}},
        {L"20000", L"480p", L"AAC", 0, nullptr,
         {{rates, L"-b:v 20000k -minrate 20000k -maxrate 20000k -bufsize:v 20000k"},
          {L"-map 0:v -map 1:a", L"-map 0:v -map 1:a -vf \"scale=-2:min(480\\,ih)\""}, {mp3, L"-c:a aac -b:a 160k -ar 44100"}}},
        // The picture is scaled after the overlay is laid on it.
        {L"", L"1080P", L"", 1, nullptr, {{L"overlay =1660:830\"", L"overlay =1660:830,scale=-2:min(1080\\,ih)\""}}},
        {L"", L"", L"AAC", 0, L"C:\\V\\a.wmv", {}},  // WMV keeps MP3
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.bitrate) + L"/" + row.size + L"/" + row.codec));
        in.videoBitrate = in.outputSize = in.audioCodec = L"";
        in.disableVideo = row.overlay ? 0 : 1;
        in.overlayVideoPos = 2;
        in.saveLocally = row.file != nullptr;
        in.recordingPath = row.file ? row.file : L"";
        servers.ServerAt(0).InUse = row.file ? 0 : 1;
        std::wstring expected = Compose().text;
        ASSERT_FALSE(expected.empty());
        for (const auto& [from, to] : row.swaps) {
            ASSERT_NE(expected.find(from), std::wstring::npos) << testing::PrintToString(from);
            expected.replace(expected.find(from), from.size(), to);
        }
        in.videoBitrate = row.bitrate;
        in.outputSize = row.size;
        in.audioCodec = row.codec;
        EXPECT_EQ(Compose().text, expected);
    }
    in.videoBitrate = in.outputSize = in.audioCodec = L"";
    in.disableVideo = 1;
    in.saveLocally = false;
    servers.ServerAt(0).InUse = 1;
    EXPECT_EQ(Compose().text, designs);

    // A hand-edited value is refused, naming it.
    for (const auto& [key, value, named] : {std::tuple<std::wstring*, const wchar_t*, const wchar_t*>
             {&in.videoBitrate, L"299", L"the Video bitrate \"299\" is not a whole number from 300 to 20000"},
             {&in.videoBitrate, L"20001", L"the Video bitrate \"20001\""}, {&in.videoBitrate, L"3000k", L"\"3000k\""},
             {&in.outputSize, L"4K", L"the Output size \"4K\" is not Screen, 1080p, 720p or 480p"},
             {&in.audioCodec, L"opus", L"the Audio \"opus\" is not MP3 or AAC"}}) {
        in.videoBitrate = in.outputSize = in.audioCodec = L"";
        *key = value;
        const ComposedCommand c = Compose();
        EXPECT_EQ(c.error, ComposeError::BadQuality);
        EXPECT_NE(ComposeErrorMessage(c).find(std::wstring(L"Streaming cannot start: ") ), std::wstring::npos);
        EXPECT_NE(ComposeErrorMessage(c).find(named), std::wstring::npos) << testing::PrintToString(ComposeErrorMessage(c));
    }
    EXPECT_EQ(UploadText(2, 3000), L"Upload: 2 \u00D7 3.2 Mbit/s = 6.3 Mbit/s");
    EXPECT_EQ(UploadText(1, 1000), L"Upload: 1 \u00D7 1.2 Mbit/s = 1.2 Mbit/s");
    EXPECT_EQ(UploadText(0, 1000), L"");
}

TEST_F(CommandLineTest, AlsoRecordMixesASecondDeviceIntoTheOneTrack) {
    servers.AppendServer(Server(L"A", L"rtmp://a", L"k", 1));
    // The second device arrives through the application's relay: its own line reads the device.
    const std::wstring mix = L" -f dshow -i audio=\"Microphone\" -f s16le -ar 44100 -ac 2 -i \"\\\\.\\pipe\\vandrel-sound\" "
                             L"-filter_complex \"[%d:a] [%d:a] amix=inputs=2:duration=first:dropout_transition=0,volume=2\"";
    const auto withInputs = [&](int mic) {
        std::wstring text = mix;
        text.replace(text.find(L"%d"), 2, std::to_wstring(mic));
        text.replace(text.find(L"%d"), 2, std::to_wstring(mic + 1));
        return text;
    };
    const struct { int overlay, mute; const wchar_t* mode; bool mixed; } rows[] = {
        {0, 0, L"Desktop", true}, {1, 0, L"Desktop", true}, {0, 0, L"Desktop (built-in)", true},
        {1, 0, L"Other", true}, {1, 1, L"Desktop", false}, {0, 1, L"Desktop (built-in)", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.mode)) + " overlay " + std::to_string(row.overlay) + " mute " +
                     std::to_string(row.mute));
        in.disableVideo = row.overlay ? 0 : 1;
        in.muteAudio = row.mute;
        in.recMode = row.mode;
        in.primaryVidSrc = L"Capture Card";
        in.alsoRecord = L"";
        std::wstring expected = Compose().text;
        if (row.mixed) {
            // The design's line with the second input after the first, mixed in place of the merge; the maps stay.
            const std::wstring merge = L" -f dshow -i audio=\"Microphone\" -filter_complex \"amerge=inputs=1\"";
            ASSERT_NE(expected.find(merge), std::wstring::npos) << expected;
            expected.replace(expected.find(merge), merge.size(), withInputs(row.overlay ? 2 : 1));
        }
        in.alsoRecord = L"Stereo Mix (Realtek Audio)";
        EXPECT_EQ(Compose().text, expected);
        EXPECT_EQ(Compose().soundLine, row.mixed ? L"ffmpeg -loglevel quiet -audio_buffer_size 50 -f dshow -i "
                                                   L"audio=\"Stereo Mix (Realtek Audio)\" -f s16le -ar 44100 -ac 2 -flush_packets 1 -"
                                                 : L"");
    }
    in.muteAudio = 0;
    in.alsoRecord = L"";
    const std::wstring alone = Compose().text;
    in.alsoRecord = in.audioDevice;  // the audio device a second time is the audio device once
    EXPECT_EQ(Compose().text, alone);
}

TEST_F(CommandLineTest, LongLinesAreWholeUpToTheProcessLimit) {
    const std::wstring longKey(2000, L'k');
    for (const wchar_t* n : {L"A", L"B", L"C", L"D"})
        servers.AppendServer(Server(n, (L"rtmp://" + std::wstring(400, L'h') + L"/live").c_str(), longKey.c_str(), 1));
    const ComposedCommand c = Compose();
    ASSERT_EQ(c.error, ComposeError::None);
    EXPECT_GT(c.text.size(), 9000u);
    EXPECT_EQ(c.text.substr(c.text.size() - 7), L"kkk\" -y");
    servers.ServerAt(0).Key = std::wstring(kMaxCommandLine, L'k');
    EXPECT_EQ(Compose().error, ComposeError::TooLong);
}

TEST_F(CommandLineTest, ReconnectPutsEveryChannelThroughTheFifoAndLeavesTheFileAsItIs) {
    servers.AppendServer(Server(L"Studio", L"rtmp://a.example/live", L"abc", 1));
    servers.AppendServer(Server(L"Twitch", L"rtmp://live.twitch.tv/app", L"k:1", 1));
    in.saveLocally = true;
    in.separateFile = true;
    in.recordingPath = L"C:\\v\\rec.mp4";
    const ComposedCommand off = Compose();
    in.reconnectChannels = true;
    const ComposedCommand on = Compose();
    const std::wstring fifo =
        L"[f=flv:onfail=ignore:use_fifo=1:fifo_options=attempt_recovery=1\\\\:recovery_wait_time=2"
        L"\\\\:drop_pkts_on_overflow=1\\\\:restart_with_keyframe=1]";
    EXPECT_EQ(Tee(), L"\"" + fifo + L"rtmp://a.example/live/abc|" + fifo + L"rtmp://live.twitch.tv/app/k:1|"
                     L"[f=flv:onfail=ignore]C:/v/rec_2024-Mar-05_14-07.mp4\" -y");
    EXPECT_EQ(on.text.substr(0, on.text.find(L"-f tee")), off.text.substr(0, off.text.find(L"-f tee")));
    EXPECT_EQ(off.text.find(L"fifo"), std::wstring::npos);
    EXPECT_EQ(on.channels, (std::vector<std::wstring>{L"Studio", L"Twitch"}));
    EXPECT_EQ(on.localFile, L"C:\\v\\rec_2024-Mar-05_14-07.mp4");
}

TEST_F(CommandLineTest, FrameRateIsAWholeNumberFrom1To240) {
    servers.AppendServer(Server(L"A", L"rtmp://a", L"k", 1));
    const struct { const wchar_t* fps; bool accepted; } cases[] = {
        {L"1", true}, {L"7", true}, {L"12", true}, {L"60", true}, {L"240", true}, {L"007", true},
        {L"0", false}, {L"241", false}, {L"1000", false}, {L"", false}, {L"abc", false},
        {L"30 -i x", false}, {L" 30", false}, {L"-5", false}, {L"29.97", false}, {L"30\"", false},
    };
    for (const auto& c : cases) {
        in.videoFps = c.fps;
        const ComposedCommand composed = Compose();
        EXPECT_EQ(AcceptedFrameRate(c.fps), c.accepted) << testing::PrintToString(std::wstring(c.fps));
        EXPECT_EQ(composed.error == ComposeError::None, c.accepted) << testing::PrintToString(std::wstring(c.fps));
        if (c.accepted) {
            EXPECT_EQ(composed.text.substr(0, 18 + wcslen(c.fps)), L"ffmpeg -framerate " + std::wstring(c.fps));
        }
    }
    in.videoFps = L"30 -i x";
    EXPECT_TRUE(Compose().text.empty());
    EXPECT_EQ(ComposeErrorMessage(Compose()),
              L"Streaming cannot start: the frame rate \"30 -i x\" is not a whole number from 1 to 240. "
              L"Please choose a frame rate in Media Settings and try again.");
}

TEST_F(CommandLineTest, QuotesAndBackslashesInsideTheTeeTargetAreEscapedForTheTee) {
    const struct {
        const char* title;
        const wchar_t* url;
        const wchar_t* key;
        const wchar_t* path;  // "" for no local file
        const wchar_t* tee;
        const wchar_t* localFile;
    } cases[] = {
        {"plain values stay byte for byte", L"rtmp://a/live", L"k-1", L"C:\\V\\rec.mp4",
         L"\"[f=flv:onfail=ignore]rtmp://a/live/k-1|[f=flv:onfail=ignore]C:/V/rec.mp4\" -y", L"C:\\V\\rec.mp4"},
        {"apostrophes in the path", L"", L"", L"C:\\users\\Public\\Videos\\O'Brien's talk.mp4",
         L"\"[f=flv:onfail=ignore]C:/users/Public/Videos/O\\'Brien\\'s talk.mp4\" -y",
         L"C:\\users\\Public\\Videos\\O'Brien's talk.mp4"},
        {"apostrophe in a WMV path", L"", L"", L"D:\\it's.wmv", L"\"D:/it\\'s.wmv\" -y", L"D:\\it's.wmv"},
        {"apostrophe in a key keeps the targets after it", L"rtmp://a/live", L"ab'cd", L"C:\\V\\rec.mp4",
         L"\"[f=flv:onfail=ignore]rtmp://a/live/ab\\'cd|[f=flv:onfail=ignore]C:/V/rec.mp4\" -y", L"C:\\V\\rec.mp4"},
        {"backslash inside a key and a URL", L"rtmp://a\\b/live", L"x\\y", L"",
         L"\"[f=flv:onfail=ignore]rtmp://a\\\\b/live/x\\\\y\" -y", L""},
        {"both in one key, and a path starting with one", L"rtmp://a/live", L"\\'k'", L"\\\\server\\share\\a'b.mp4",
         L"\"[f=flv:onfail=ignore]rtmp://a/live/\\\\\\'k\\'|[f=flv:onfail=ignore]//server/share/a\\'b.mp4\" -y",
         L"\\\\server\\share\\a'b.mp4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        servers.clear();
        if (*c.url) servers.AppendServer(Server(L"A", c.url, c.key, 1));
        in.saveLocally = *c.path != 0;
        in.recordingPath = c.path;
        const ComposedCommand composed = Compose();
        ASSERT_EQ(composed.error, ComposeError::None);
        EXPECT_EQ(Tee(), c.tee);
        EXPECT_EQ(composed.localFile, c.localFile);  // the user is told the file as chosen
    }
}

// What the relay passes on of a second device, and the silence standing in for what it did not deliver.
TEST(SoundPacing, TheRelayKeepsTheClocksPaceWithinTheSlack) {
    const struct { uint64_t due, written, buffered, drop, take, silence; } rows[] = {
        {1000, 1000, 0, 0, 0, 0},      // on time with nothing new
        {1000, 900, 80, 0, 80, 0},     // a little behind: within the slack, no silence
        {1000, 700, 0, 0, 0, 100},     // nothing delivered: silence up to the slack
        {5000, 0, 0, 0, 0, 4800},      // a device silent from the start
        {1000, 800, 600, 200, 400, 0}, // a burst after the silence: its oldest beyond the slack goes
        {1000, 1300, 50, 50, 0, 0},    // already at the slack ahead: everything new goes
    };
    for (const auto& r : rows) {
        const SoundStep step = PaceSound(r.due, r.written, r.buffered, 200);
        EXPECT_EQ(step.drop, r.drop) << r.due << " " << r.written << " " << r.buffered;
        EXPECT_EQ(step.take, r.take) << r.due << " " << r.written << " " << r.buffered;
        EXPECT_EQ(step.silence, r.silence) << r.due << " " << r.written << " " << r.buffered;
    }
}
