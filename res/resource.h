// Control and command ids, shared by the resource script and the code.
#pragma once

// Child windows of the main window.
#define ID_STATUSBAR 200
#define ID_EDIT_MAIN 201
#define ID_EDIT_SUB 202

// Menu commands.
#define IDM_OPEN 101
#define IDM_SAVE 102
#define IDM_EXIT 109
#define IDM_REOPEN_AUTO 150
#define IDM_REOPEN_SJIS 151
#define IDM_REOPEN_EUC 152
#define IDM_REOPEN_JIS 153
#define IDM_REOPEN_UTF8 154
#define IDM_REOPEN_UTF16 155
#define IDM_REOPEN_UTF16BE 156
#define IDM_COPY 111
#define IDM_PASTE 112
#define IDM_CUT 113
#define IDM_UNDO 114
#define IDM_REDO 117
#define IDM_SELECTALL 115
#define IDM_FIND 116
#define IDM_SOUND 121
#define IDM_SPLIT 123
#define IDM_KANJI_AUTO 130
#define IDM_KANJI_SJIS 131
#define IDM_KANJI_EUC 132
#define IDM_KANJI_JIS 133
#define IDM_KANJI_UTF8 134
#define IDM_KANJI_UTF16 135
#define IDM_LB_AUTO 140
#define IDM_LB_WINDOWS 141
#define IDM_LB_MAC 142
#define IDM_LB_UNIX 143
#define IDM_LB_REVWIN 144
#define IDM_BLANK 181
#define IDM_ABOUT 199

// Finder dialog controls.
#define IDC_FIND_TEXT 210
#define IDC_REPLACE_TEXT 211
#define IDC_REPLACE_ALL 221
#define IDC_REPLACE_NEXT 222
#define IDC_FIND_NEXT 223
#define IDC_FIND_PREV 224
#define IDC_REPLACE_REPEAT 225

// About box controls.
#define IDC_ABOUT_PICTURE 1
