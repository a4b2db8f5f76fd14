// The file flows: a whole file into the main pane and the main pane's text
// into a file, through the conversion passes, and the common dialogs that
// choose the file. What becomes of the document (its name, title, edited
// flag and the second pane) is the shell's (app/document.cpp).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "app/error_text.h"
#include "codec/codes.h"

// Reads the file, converts it in two passes with a progress window each,
// stores the detected codes in AppState and sets the text into the main pane.
// The characters that became 〓 are counted in *replaced, and the bytes from
// a zero byte on, which end the text, in *leftOut.
// With `as` other than Auto, the file is read in that kanji code instead
// of the one detected.
ErrorCode LoadTextFile(const char* path, std::uint64_t* replaced = nullptr, std::uint64_t* leftOut = nullptr,
                       KanjiCode as = KanjiCode::Auto);
// Asked before a save writes anything, when `count` characters of the
// text (`length` bytes, the first of them at byte `first`) have no place in
// the code `kanji`: true to write them as 〓, false to write nothing.
typedef bool (*PlacelessQuestion)(KanjiCode kanji, std::uint64_t count, const char* text, std::size_t length,
                                  std::size_t first);

// Converts the main pane's text to the save's codes and replaces the file
// with it only once every byte is on disk. Through a symbolic link the file
// it names is written; a file with other names is rewritten in place. The
// characters written as 〓 are counted in *replaced; when there are any,
// `ask` (when given) is asked first, and EC_CANCELLED returned when it
// says no.
ErrorCode SaveTextFile(const char* path, std::uint64_t* replaced = nullptr, PlacelessQuestion ask = nullptr);
// After a failed save that left the only complete copy of the new text in
// a file of its own: that file's path; "" otherwise.
const char* SaveKeptCopy();

// How a save replaces the file: ReplaceFileA, unless a test stands in for
// it to make it fail as a disk or another program can.
typedef BOOL(WINAPI* FileReplacer)(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID exclude,
                                   LPVOID reserved);
extern FileReplacer ReplaceTextFile;

// The Open and Save dialogs, proposing `file` (MAX_PATH bytes), which
// receives the chosen name; false when the user cancels.
bool ChooseFileToOpen(char* file);
bool ChooseFileToSave(char* file);
