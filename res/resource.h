// Fixed numbers of Brindle's controls, pictures, menus, menu commands and
// strings. A control's objectName is its number, so code and tests find
// controls by id; a control's tool tip is the string with its own number.
#pragma once

// Dialog templates
constexpr int IDD_ABOUTBOX = 100;
constexpr int IDD_MAIN = 102;
constexpr int IDD_OPTIONS = 130;
constexpr int IDD_PLAYER = 172;
constexpr int IDD_RENAME = 188;

// Strings
constexpr int IDS_ABOUTBOX = 101;        // "&About BRD..."
constexpr int IDS_DIRECTORY_NAME = 1067; // the folder picker's instruction

// Icon, cursor
constexpr int IDI_MAIN = 128;
constexpr int IDC_HAND_CURSOR = 134;

// Bitmaps
constexpr int IDB_BACKGROUND = 131;
constexpr int IDB_MINIMIZE = 132;
constexpr int IDB_MINIMIZE_HOVER = 133;
constexpr int IDB_DOWN = 135;
constexpr int IDB_BOTTOM_HOVER = 136;
constexpr int IDB_DOWN_HOVER = 137;
constexpr int IDB_TOP_HOVER = 138;
constexpr int IDB_UP_HOVER = 139;
constexpr int IDB_BOTTOM = 140;
constexpr int IDB_TOP = 141;
constexpr int IDB_UP = 142;
constexpr int IDB_PLAY_HOVER = 143;
constexpr int IDB_PLAY = 144;
constexpr int IDB_MP3TOWAVE_CHECKED = 145;
constexpr int IDB_WAVETOMP3_CHECKED = 146;
constexpr int IDB_MP3TOWAVE = 147;
constexpr int IDB_WAVETOMP3 = 148;
constexpr int IDB_UNCHECKALL_HOVER = 149;
constexpr int IDB_CHECKALL_HOVER = 150;
constexpr int IDB_CHECKALL = 151;
constexpr int IDB_UNCHECKALL = 152;
constexpr int IDB_REVERSE_HOVER = 153;
constexpr int IDB_REVERSE = 154;
constexpr int IDB_ADD_HOVER = 155;
constexpr int IDB_ADD = 156;
constexpr int IDB_CLEAR = 157;
constexpr int IDB_CLEAR_HOVER = 158;
constexpr int IDB_START_HOVER = 159;
constexpr int IDB_START = 160;
constexpr int IDB_SPLASH = 161;
constexpr int IDB_OPTIONS_HOVER = 166;
constexpr int IDB_OPTIONS = 167;
constexpr int IDB_EXIT_HOVER = 168;
constexpr int IDB_EXIT = 169;
constexpr int IDB_HELP_HOVER = 170;
constexpr int IDB_HELP = 171;
constexpr int IDB_WEBSITE = 181;
constexpr int IDB_WEBSITE_HOVER = 182;

// Menus
constexpr int IDR_CLEAR_MENU = 184;
constexpr int IDR_ROW_MENU = 187;

// Controls of the main window (template 102)
constexpr int IDC_SOUNDCONTROL = 1000;
constexpr int IDC_BATCH_PROGRESS = 1002;
constexpr int IDC_FILELIST = 1004;
constexpr int IDC_FILE_PROGRESS = 1007;
constexpr int IDC_MINIMIZE = 1019;
constexpr int IDC_MOVE_TOP = 1020;
constexpr int IDC_MOVE_UP = 1021;
constexpr int IDC_MOVE_DOWN = 1022;
constexpr int IDC_MOVE_BOTTOM = 1023;
constexpr int IDC_PLAY = 1024;
constexpr int IDC_MP3TOWAVE = 1025;
constexpr int IDC_WAVETOMP3 = 1026;
constexpr int IDC_CHECK_ALL = 1027;
constexpr int IDC_UNCHECK_ALL = 1028;
constexpr int IDC_REVERSE_CHECKS = 1029;
constexpr int IDC_ADD_FILES = 1030;
constexpr int IDC_CLEAR_LIST = 1031;
constexpr int IDC_START = 1032;
constexpr int IDC_OPTIONS = 1046;
constexpr int IDC_EXIT = 1048;
constexpr int IDC_HELP = 1049;
constexpr int IDC_WEBSITE = 1066;
constexpr int IDC_STATUS_LABEL = 1072;

// Buttons shared by the small dialogs
constexpr int IDC_OK_BUTTON = 1012;
constexpr int IDC_CANCEL_BUTTON = 1013;

// Options dialog (template 130)
constexpr int IDC_SAME_FOLDER = 1035;
constexpr int IDC_WAVE_FOLDER = 1036;
constexpr int IDC_MP3_FOLDER = 1037;
constexpr int IDC_AUTO_CREATE = 1047;
constexpr int IDC_BROWSE_WAVE_FOLDER = 1067;
constexpr int IDC_BROWSE_MP3_FOLDER = 1068;
constexpr int IDC_MINIMIZE_CONVERTING = 1073;
constexpr int IDC_BITRATE = 1076;
constexpr int IDC_DUAL_STEREO = 1077;
constexpr int IDC_STEREO = 1078;
constexpr int IDC_MONO = 1079;

// About box (template 100)
constexpr int IDC_ABOUT_WEB = 1064;
constexpr int IDC_ABOUT_MAIL = 1065;

// Rename dialog (template 188)
constexpr int IDC_RENAME_EDIT = 1058;

// Player dialog (template 172)
constexpr int IDC_PLAYER_FILE = 1050;
constexpr int IDC_PLAYER_CONTROL = 1052;
constexpr int IDC_PLAYER_TIME = 1053;
constexpr int IDC_PLAYER_PLAY = 1054;
constexpr int IDC_PLAYER_PAUSE = 1055;
constexpr int IDC_PLAYER_STOP = 1056;

// Menu commands
constexpr int ID_CLEAR_ALL = 32771;
constexpr int ID_CLEAR_CHECKED = 32772;
constexpr int ID_DELETE_ITEM = 32773;
constexpr int ID_MENU_UP = 32774;
constexpr int ID_MENU_DOWN = 32776;
constexpr int ID_RENAME_FILE = 32777;
constexpr int ID_MENU_PLAY = 32778;
constexpr int ID_MENU_STOP = 32779;

// System menu
constexpr int ID_SYS_ABOUT = 0x0010;
