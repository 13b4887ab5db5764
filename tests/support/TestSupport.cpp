#include "TestSupport.h"

#include "Startup.h"

void InstallRegExModule() { Startup::InitPluginEntrypoints(); }
