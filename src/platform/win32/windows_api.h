#pragma once

// <windows.h> for this platform's sources. There ShellExecute is a macro (for ShellExecuteA or
// ShellExecuteW); the program's shell interface has a method of that name, so the macro goes
// and Windows code calls ShellExecuteW by its own name. Include this before any other header
// that brings in <windows.h>.
#include <windows.h>
#undef ShellExecute
