#pragma once

// Private to the framework: the windows that are open, for quitting.

#include "Window.h"

#include <vector>

// The open windows in the order they opened. A copy, so that closing them
// while walking it is safe.
std::vector<Ref<Window>> OpenWindows();

// Forgets every window still open, at the end of a run, and lets Qt delete
// what closed windows left for later, while the application object exists.
void DropAllWindows();
