/* The names in the settings file: the file, its section and its keys. The
   one place they are written: the resource script puts them in the string
   table, from which the Windows program loads them, and the native build
   reads them from here. Only #defines, so that the resource compiler reads
   this file too. */
#pragma once

#define PROFILE_FILE_NAME       "control.ini"
#define PROFILE_SECTION_NAME    "Screen Saver.Lumivane"
#define PROFILE_KEY_TEXT        "Text"
#define PROFILE_KEY_COLOR_R     "ColorR"
#define PROFILE_KEY_COLOR_G     "ColorG"
#define PROFILE_KEY_COLOR_B     "ColorB"
#define PROFILE_KEY_SPEED       "Speed"
#define PROFILE_KEY_HEIGHT      "lfHeight"
#define PROFILE_KEY_WIDTH       "lfWidth"
#define PROFILE_KEY_WEIGHT      "lfWeight"
#define PROFILE_KEY_CHARSET     "lfCharset"
#define PROFILE_KEY_FACENAME    "lfFacename"
#define PROFILE_KEY_CYCLE       "Cycle"
#define PROFILE_KEY_ITALIC      "lfItalic"
#define PROFILE_KEY_METHOD      "Method"
