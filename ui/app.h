#pragma once
#include "platform/platform.h"

// Set by the entry before the window exists; every icon load reads it.
extern HINSTANCE g_instance;
