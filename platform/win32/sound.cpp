// Alert sounds. winmm.dll is loaded on first use from the system directory:
// imported statically it would be looked up beside the program first.
#include "platform/win32/win32_internal.h"

namespace {

using PlaySoundAFn = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);

PlaySoundAFn playSoundFunction() {
    static bool loaded;
    static PlaySoundAFn function;
    if (!loaded) {
        loaded = true;
        function = procAddress<PlaySoundAFn>(loadSystemLibrary(L"winmm.dll"), "PlaySoundA");
    }
    return function;
}

}  // namespace

void platformPlaySound(const char* file) {
    // No SND_NODEFAULT: a file that cannot be played gives the default sound.
    PlaySoundAFn playSound = playSoundFunction();
    if (!playSound || !playSound(file ? file : "", nullptr, SND_FILENAME | SND_ASYNC)) MessageBeep(MB_OK);
}
