// Entry point of the SDK's DLLs: nothing of the SDK's own runs at load or
// unload; thread notifications are switched off because nothing uses them.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}
