#include "app.h"
#include "main_dialog.h"
#include "res/resource.h"

// No command line and no show state: the template decides how the window looks, and the dialog's result
// is the exit code.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_instance = instance;
    return static_cast<int>(platform::runModalDialog(instance, IDD_MAIN, MainDialog));
}
