#pragma once

#include "Object.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string_view>

class Application;

// An escaped exception, or nullptr for none.
using ExceptionRef = std::exception_ptr;
// Calls fn(arg); returns nullptr when it completed, else the RuntimeException
// that escaped (any other exception passes on).
using ExceptionHelper = ExceptionRef (*)(void (*fn)(void*), void* arg);

// Start and end of a run.
Int32 RuntimeInit();
// The name the user knows the program by: the title of its message boxes,
// which otherwise carry the executable's file name.
void RuntimeSetApplicationName(const String& name);
void RuntimeSetExceptionHelper(ExceptionHelper helper);
// Registers the framework's own classes; a lookup would register each anyway.
void RuntimeRegisterFrameworkClasses();
// Registers the classes of the plug-in modules.
void RuntimeInitExternalClasses();
void RuntimeRegisterAppObject(Ref<Application> app);
Ref<Application> GetAppObject();
// Finishes the framework's set-up, raises the application's Open event and
// calls lateStartup once the framework is ready.
void RunFrameworkInitialization(void (*lateStartup)());
// The event loop; returns when the application quits.
void RuntimeRun();
// The framework's handling of an exception that nobody caught: tells the
// user (class and message) and returns.
void UnhandledException(ExceptionRef exception);
// Shuts the framework down; the exit status: the code given to Quit, or 1
// when start-up ended in an unhandled exception.
Int32 RuntimeExit();

// Asks the event loop to end with code, closing the windows first; returns
// to the caller at once. A second request while quitting does nothing.
void Quit(Int32 code = 0);
bool IsQuitting();

// The cooperative yield point that every loop passes once per pass.
void RuntimeBackgroundTask();
std::uint64_t RuntimeBackgroundTaskCount();

// Calls system code from the framework (a click, a menu choice, a close, the
// late start-up): through the exception helper, handing anything that
// escapes to UnhandledException, so nothing unwinds through Qt. Returns the
// call's own answer, or fallback when it failed.
bool CallSystemCode(const std::function<bool()>& call, bool fallback = false);
