#pragma once

// Private to the framework: user-interface objects belong to the thread that
// runs the application's event loop.

// Raises ThreadAccessingUIException, naming the operation, when called from
// any other thread. Before the application exists there is no such thread,
// and every thread may build.
void RequireUIThread(const char* operation);
