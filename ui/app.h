#pragma once
#include "platform/win32.h"

// Set by the entry before the window exists; every icon load reads it.
extern HINSTANCE g_instance;
