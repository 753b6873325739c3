// Loads uxtheme.dll by its bare name, as system DLLs do for a program: with the default search, a copy in
// this program's folder is the one loaded.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

int main() {
    return LoadLibraryA("uxtheme.dll") ? 0 : 1;
}
