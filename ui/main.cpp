#include "app.h"
#include "main_dialog.h"
#include "one_copy.h"
#include "platform/display.h"
#include "platform/process.h"
#include "platform/windowing.h"
#include "res/resource.h"

// No command line and no show state: the template decides how the window looks, and the dialog's result
// is the exit code.
// Annotated as the SDK declares it: Visual Studio warns about an entry point that is not.
int WINAPI WinMain(_In_ HINSTANCE instance, _In_opt_ HINSTANCE, _In_ LPSTR, _In_ int) {
    platform::loadLibrariesFromSystemOnly(); // before anything can load a DLL planted beside the exe
    g_instance = instance;
    if (OneCopy::handedToRunningCopy())
        return 0; // the running copy shows its window
    platform::becomeDpiAware();
    return static_cast<int>(platform::runModalDialog(instance, IDD_MAIN, MainDialog));
}
