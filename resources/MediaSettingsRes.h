// Ids of the media settings dialog, template 132. Values are fixed by the design.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC                 (-1)
#endif

#define IDD_MEDIA_SETTINGS         132

#define IDC_AUDIO_DEVICE_LABEL     1012
#define IDC_AUDIO_DEVICE           1013
#define IDC_MUTE_AUDIO             1016
#define IDC_MUTE_AUDIO_LABEL       1017
#define IDC_RECORDING_FORMAT_LABEL 1033
#define IDC_OVERLAY_DEVICE         1071
#define IDC_OVERLAY_POSITION       1072
#define IDC_OVERLAY_DEVICE_LABEL   1073
#define IDC_OVERLAY_POSITION_LABEL 1074
#define IDC_SETTINGS_CLOSE         1075
#define IDC_FRAME_RATE_LABEL       1076
#define IDC_FRAME_RATE             1077
#define IDC_DISABLE_VIDEO          1084
#define IDC_DISABLE_VIDEO_LABEL    1085
#define IDC_RECORDING_FORMAT       1114
#define IDC_STEREO_MIX_HINT        1121
#define IDC_SOUND_DEVICES_LINK     1156
#define IDC_RECORDING_MODE         1160
#define IDC_PRIMARY_VIDEO_SOURCE   1161

// Beyond the design: channels that recover after a drop.
#define IDC_RECONNECT_CHANNELS       1162
#define IDC_RECONNECT_CHANNELS_LABEL 1163

// Beyond the design: the start/stop hotkey.
#define IDC_HOTKEY_LABEL             1164
#define IDC_HOTKEY                   1165
#define IDC_HOTKEY_STATE             1166

// Beyond the design: stream quality.
#define IDC_QUALITY_HEADING          1173
#define IDC_VIDEO_BITRATE_LABEL      1174
#define IDC_VIDEO_BITRATE            1175
#define IDC_OUTPUT_SIZE_LABEL        1176
#define IDC_OUTPUT_SIZE              1177
#define IDC_AUDIO_CODEC_LABEL        1178
#define IDC_AUDIO_CODEC              1179
#define IDC_RECOMMENDED              1180

// Beyond the design: a second sound device mixed with the audio device.
#define IDC_ALSO_RECORD_LABEL        1181
#define IDC_ALSO_RECORD              1182

// Beyond the design: a look at what will be captured, and the sound levels.
#define IDC_PREVIEW_HEADING          1183
#define IDC_PREVIEW_PICTURE          1184
#define IDC_PREVIEW_LEVEL1           1185
#define IDC_PREVIEW_LEVEL2           1186
#define IDC_PREVIEW_HINT             1187
#define IDC_PREVIEW                  1188
