#pragma once
// Functions of system libraries that only some commands need (the common dialogs, the
// multimedia timer), looked up on first use rather than imported: every library the loader
// maps before the program starts, and the libraries it brings along, delays the first window.
#include "ui/Win.h"

// The function `name` of the system library `library` (searched in the system folder only),
// or nullptr when either is missing. The library stays loaded for the rest of the run.
template <typename Fn>
Fn* SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<Fn*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
