#pragma once

#include "Runtime.h"

#include <functional>

// The program's main line, from process start to exit, as a list of named
// steps.
namespace Startup {

// Runs the whole sequence and returns the exit status.
int EntryFunction();

void RegisterClasses();
void Main();
void EarlyStartup();
void InitPluginEntrypoints();
void InitFileTypes();
void NewAppInstance();
void ApplicationAddMenuHandlers();
void LateStartup();
void MakeDefaultView();
void Finalisation();

// Calls fn(arg); nullptr when it completed, else the RuntimeException that
// escaped. Any other exception passes on.
ExceptionRef CallFunctionWithExceptionHandling(void (*fn)(void*), void* arg);

// For tests: runs at the start of early start-up, so that a failure there
// can be staged.
void SetEarlyStartupFault(std::function<void()> fault);

}
