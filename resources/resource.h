// Resource ids shared by lumivane.rc and the code that loads the resources.
#pragma once

// String table: the saver's display name, then the profile file, its section
// and its keys.
#define IDS_DESCRIPTION     1
#define IDS_PROFILE_FILE    1001
#define IDS_PROFILE_SECTION 1007
#define IDS_KEY_TEXT        1010
#define IDS_KEY_COLOR_R     1011
#define IDS_KEY_COLOR_G     1012
#define IDS_KEY_COLOR_B     1013
#define IDS_KEY_SPEED       1014
#define IDS_KEY_HEIGHT      1015
#define IDS_KEY_WIDTH       1016
#define IDS_KEY_WEIGHT      1017
#define IDS_KEY_CHARSET     1018
#define IDS_KEY_FACENAME    1019
#define IDS_KEY_CYCLE       1020
#define IDS_KEY_ITALIC      1021
#define IDS_KEY_METHOD      1022

// The icon of the saver window's class and of the program file.
#define IDI_SAVER           100
