#include "Startup.h"

#include "App.h"
#include "MainMenuBar.h"
#include "Plugin.h"
#include "RegEx.h"
#include "VeltoWindow.h"

namespace {

// What the window's title reads, and so every message box's.
constexpr const char* kApplicationName = "Velto Vocabulary";

std::function<void()> earlyStartupFault;

}

namespace Startup {

int EntryFunction()
{
    RuntimeInit();
    RuntimeSetApplicationName(kApplicationName);
    RegisterClasses();
    Main();
    Finalisation();
    return RuntimeExit();
}

void RegisterClasses()
{
    RuntimeRegisterFrameworkClasses();
    App::Class();
    VeltoWindow::Class();
    MainMenuBar::Class();
}

void Main()
{
    try {
        RuntimeSetExceptionHelper(&CallFunctionWithExceptionHandling);
        EarlyStartup();
        RunFrameworkInitialization(&LateStartup);
        RuntimeRun();
    } catch (...) {
        UnhandledException(std::current_exception());
    }
}

void EarlyStartup()
{
    if (earlyStartupFault)
        earlyStartupFault();
    RuntimeInitExternalClasses();
    InitPluginEntrypoints();
    InitFileTypes();
    NewAppInstance();
    ApplicationAddMenuHandlers();
}

// Each entry is stored as the lookup gives it; a missing one is reported
// when it is first used.
void InitPluginEntrypoints()
{
    const auto& names = RegExEntryNames();
    PluginEntryTable table(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        table.Set(i, LookupPluginEntry(names[i]));
    InstallRegExEntries(std::move(table));
}

void InitFileTypes() { }

void NewAppInstance()
{
    Ref<App> app = New<App>();
    app->Constructor();
    app->MenuBar(MainMenuBar::Shared());
    RuntimeRegisterAppObject(app);
}

void ApplicationAddMenuHandlers() { }

void LateStartup() { MakeDefaultView(); }

void MakeDefaultView() { VeltoWindow::Shared(); }

// The shared menu bar goes last: windows and the application held it.
void Finalisation() { MainMenuBar::ReleaseShared(); }

ExceptionRef CallFunctionWithExceptionHandling(void (*fn)(void*), void* arg)
{
    try {
        fn(arg);
        return nullptr;
    } catch (const RuntimeException&) {
        return std::current_exception();
    }
}

void SetEarlyStartupFault(std::function<void()> fault) { earlyStartupFault = std::move(fault); }

}
