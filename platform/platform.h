#pragma once
// Every call the program makes into the kernel, user32, gdi32 and shell32, one function per operation, in
// rooms by what they talk to. Results are passed back only where the program relies on them.

#include "display.h"
#include "process.h"
#include "shell.h"
#include "windowing.h"
