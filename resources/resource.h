// Resource ids: templates, controls, menu commands and artwork. Values are fixed by the design.
#pragma once

#define IDR_MAINFRAME              128   // application icon
#define IDR_TRAYMENU               130
#define IDD_MAIN                   103
#define IDB_SIDEBAR                164
#define IDB_LOGO                   165
#define IDI_MEDIA_SETTINGS         167
#define IDI_CONFIGURE_CHANNELS     168
#define IDI_DARK_THEME             169
#define IDI_HELP                   177
#define IDI_MORE_INFO              178

#define IDC_START                  1027
#define IDC_STOP                   1028
#define IDC_SAVE_LOCALLY           1057
#define IDC_RECORDING_FILE         1058
#define IDC_CLOSE                  1059
#define IDC_TITLE                  1089
#define IDC_CHANNEL1               1090
#define IDC_CHANNEL2               1091
#define IDC_CHANNEL3               1092
#define IDC_CHANNEL4               1093
#define IDC_CHANNEL1_LABEL         1094
#define IDC_CHANNEL2_LABEL         1095
#define IDC_CHANNEL3_LABEL         1096
#define IDC_CHANNEL4_LABEL         1097
#define IDC_LOGO                   1099
#define IDC_LINK_CONFIGURE         1100
#define IDC_SAVE_LOCALLY_LABEL     1101
#define IDC_LINK_MEDIA_SETTINGS    1102
#define IDC_LINK_DARK_THEME        1103
#define IDC_STATUS                 1119
#define IDC_SIDEBAR                1127
#define IDC_ICON_MEDIA_SETTINGS    1129
#define IDC_ICON_CONFIGURE         1130
#define IDC_ICON_DARK_THEME        1131
#define IDC_ICON_HELP              1137
#define IDC_LINK_HELP              1138
#define IDC_ICON_MORE_INFO         1139
#define IDC_LINK_MORE_INFO         1140
#define IDC_SEPARATE_FILE          1141
#define IDC_SEPARATE_FILE_LABEL    1142
#define IDC_BROWSE                 1150  // the browse button of the recording field
#define IDC_CHANNEL1_STATE         1161  // beside each selector while a session runs: Live, Down, Unknown
#define IDC_CHANNEL2_STATE         1162
#define IDC_CHANNEL3_STATE         1163
#define IDC_CHANNEL4_STATE         1164
#define IDC_LINK_REPORTS           1165  // opens the folder of the kept session reports
#define IDC_UPLOAD                 1170  // what a Start will send: "Upload: 2 × 3.2 Mbit/s = 6.3 Mbit/s"

#define ID_TRAY_START              32771
#define ID_TRAY_STOP               32772
#define ID_TRAY_SETTINGS           32774
#define ID_TRAY_EXIT               32775
#define ID_TRAY_MANAGE_SERVERS     32778
#define ID_TRAY_ABOUT              32780

// Help slideshow, About box and their artwork.
#define IDD_ABOUTBOX               100
#define IDD_HELP                   106
#define IDB_HELP_STEREO_MIX        172
#define IDB_HELP_CONFIGURE         173
#define IDB_HELP_CREDENTIALS       174
#define IDB_HELP_START             175
#define IDB_HELP_PRIVACY           176
#define IDB_HELP_WELCOME           179
#define IDC_SITE_LINK              1020
#define IDC_PRODUCT_TITLE          1023
#define IDC_PREVIOUS               1134
#define IDC_VERSION                1157
// Server list dialog and credentials editor.
#define IDD_SERVER_LIST            104
#define IDD_EDIT_CREDENTIALS       105
#define IDI_FILTER                 156
#define IDC_SERVERS_ADD            1046
#define IDC_SERVERS_OK             1047
#define IDC_SERVERS_MODIFY         1048
#define IDC_SERVERS_REMOVE         1049
#define IDC_SERVERS_LIST           1070
#define IDC_SERVERS_FILTER         1086
#define IDC_SERVERS_TITLE          1098
#define IDC_SERVERS_INTRO          1108
#define IDC_SERVERS_FILTER_ICON    1113
#define IDC_CREDENTIALS_APPLY      1063
#define IDC_CREDENTIALS_CANCEL     1064
#define IDC_CREDENTIALS_NAME       1065
#define IDC_CREDENTIALS_URL        1066
#define IDC_CREDENTIALS_PORT       1067
#define IDC_CREDENTIALS_KEY        1068
#define IDC_CREDENTIALS_NAME_LABEL 1076
#define IDC_CREDENTIALS_URL_LABEL  1077
#define IDC_CREDENTIALS_PORT_LABEL 1078
#define IDC_CREDENTIALS_KEY_LABEL  1079
#define IDC_CREDENTIALS_TITLE      1088
#define IDC_CREDENTIALS_INTRO      1110
#define IDC_CREDENTIALS_HINT       1118
#define IDC_CREDENTIALS_SHOW_KEY   1166
#define IDC_CREDENTIALS_SHOW_KEY_LABEL 1167
#define IDC_CREDENTIALS_SERVICE    1171  // fills the Rtmp Url with a service's own address
#define IDC_CREDENTIALS_SERVICE_LABEL 1172
