// How the key clicks are played: PlaySoundA, unless a test listens instead.
#pragma once

#include <windows.h>

typedef BOOL(WINAPI* SoundPlayer)(LPCSTR sound, HMODULE module, DWORD flags);
extern SoundPlayer PlayKeySound;
