// Sidecar.exe: the companion control panel. The application object does the whole run.
#include <windows.h>
#include <commctrl.h>

#include "app/sidecar_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    theApp.InitInstance();
    return theApp.ExitInstance();
}
