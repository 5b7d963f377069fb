#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include "app/quillstack1.h"
#include "platform/forms/form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // The folder watch is an apartment-threaded COM object whose events arrive through this thread's loop.
    const HRESULT ole = OleInitialize(nullptr);
    qs::app::Main();
    const int code = qs::forms::runMessageLoop();
    if (SUCCEEDED(ole)) OleUninitialize();
    return code;
}
