#include "Runtime.h"

#include "Application.h"
#include "Exceptions.h"
#include "FolderItem.h"
#include "Interaction.h"
#include "MenuItem.h"
#include "OpenDialog.h"
#include "QtText.h"
#include "Random.h"
#include "RectControl.h"
#include "RegEx.h"
#include "TextInputStream.h"
#include "Window.h"
#include "WindowImpl.h"
#include "WindowList.h"

#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

namespace {

enum class Phase { StartUp, Running, Ended };

struct RuntimeState {
    ExceptionHelper helper = nullptr;
    Ref<Application> app;
    Phase phase = Phase::StartUp;
    bool quitting = false;
    bool quitBeforeLoop = false;   // RuntimeRun returns at once
    Int32 quitCode = 0;
    bool startupFailed = false;
    std::uint64_t backgroundTasks = 0;
};

RuntimeState& State()
{
    static RuntimeState state;
    return state;
}

struct Report {
    std::string title;
    std::string text;
};

Report Describe(const ExceptionRef& exception)
{
    std::string className, message;
    try {
        std::rethrow_exception(exception);
    } catch (const RuntimeException& e) {
        className = e.ClassName();
        message = e.Message();
    } catch (const std::exception& e) {
        className = "std::exception";
        message = e.what();
    } catch (...) {
    }
    std::string text = className.empty() ? "An unknown exception was not handled."
                                         : "An exception of class " + className + " was not handled.";
    if (!message.empty())
        text += "\n\n" + message;
    return { "Unhandled exception", std::move(text) };
}

// The application's handler runs inside a catch block of the exception, so
// that it reaches it with std::current_exception() or a bare "throw;".
bool ApplicationHandles(ExceptionRef& exception)
{
    const Ref<Application>& app = State().app;
    if (!app || !app->Handles("UnhandledException"))
        return false;
    Ref<Application> keep = app;
    try {
        std::rethrow_exception(exception);
    } catch (...) {
        try {
            EventArgs args;
            return keep->RaiseEvent("UnhandledException", args);
        } catch (...) {
            // The handler failed in turn: report its own failure instead.
            exception = std::current_exception();
        }
    }
    return false;
}

void TellUser(const Report& report)
{
    std::fprintf(stderr, "%s: %s\n", report.title.c_str(), report.text.c_str());
    std::fflush(stderr);
    try {
        CurrentInteraction().ShowError(report.title, report.text);
    } catch (...) {
        std::fputs("The error could not be shown in a dialog.\n", stderr);
    }
}

// An exception from an event handler is reported and the application goes
// on; one that reaches the start-up's catch-all before the event loop has
// run fails the start-up.
void ReportUnhandled(ExceptionRef exception, bool fromCatchAll)
{
    if (!exception)
        return;
    RuntimeState& state = State();
    const bool failsStartUp = fromCatchAll && state.phase == Phase::StartUp;
    try {
        if (ApplicationHandles(exception))
            return;
        if (failsStartUp)
            state.startupFailed = true;
        TellUser(Describe(exception));
    } catch (...) {
        // Nothing may leave here; running out of memory is the likely cause.
        if (failsStartUp)
            state.startupFailed = true;
        std::fputs("Unhandled exception: an exception was not handled and could not be reported.\n", stderr);
    }
}

struct CallContext {
    const std::function<bool()>* call;
    bool result;
};

void Trampoline(void* context)
{
    auto* c = static_cast<CallContext*>(context);
    c->result = (*c->call)();
}

// A window whose CancelClose is running: its own close goes on after it.
bool IsClosing(const Window& window)
{
    return window.Native().closing;
}

// Closes every open window; false as soon as one refuses.
bool CloseOpenWindows()
{
    for (const Ref<Window>& window : OpenWindows()) {
        if (!window->IsOpen() || IsClosing(*window))
            continue;
        window->Close();
        if (window->IsOpen() && !IsClosing(*window))
            return false;
    }
    return true;
}

} // namespace

Int32 RuntimeInit()
{
    if (!QCoreApplication::instance()) {
        // The system reads no command line: Qt gets the program's name only.
        static char name[] = "velto-vocabulary";
        static char* argv[] = { name, nullptr };
        static int argc = 1;
        static QApplication* application = new QApplication(argc, argv);
        (void)application;
    }
    QGuiApplication::setQuitOnLastWindowClosed(false);
    State() = RuntimeState {};
    return 0;
}

void RuntimeSetApplicationName(const String& name)
{
    QGuiApplication::setApplicationDisplayName(ToQString(name));
}

void RuntimeSetExceptionHelper(ExceptionHelper helper)
{
    State().helper = helper;
}

void RuntimeRegisterFrameworkClasses()
{
    Object::Class();
    Application::Class();
    Window::Class();
    RectControl::Class();
    TextField::Class();
    PushButton::Class();
    Label::Class();
    MenuItem::Class();
    MenuBar::Class();
    QuitMenuItem::Class();
    Random::Class();
    FolderItem::Class();
    FolderItemDialog::Class();
    OpenDialog::Class();
    TextInputStream::Class();
}

// The classes that the regular-expression module supplies.
void RuntimeInitExternalClasses()
{
    RegEx::Class();
    RegExOptions::Class();
    RegExMatch::Class();
}

void RuntimeRegisterAppObject(Ref<Application> app)
{
    State().app = std::move(app);
}

Ref<Application> GetAppObject()
{
    return State().app;
}

void RunFrameworkInitialization(void (*lateStartup)())
{
    if (Ref<Application> app = State().app)
        app->CallOpen();
    if (lateStartup)
        lateStartup();
}

void RuntimeRun()
{
    RuntimeState& state = State();
    if (state.quitBeforeLoop || state.startupFailed) {
        state.phase = Phase::Ended;
        return;
    }
    state.phase = Phase::Running;
    QApplication::exec();
    State().phase = Phase::Ended;
}

void UnhandledException(ExceptionRef exception)
{
    ReportUnhandled(std::move(exception), true);
}

Int32 RuntimeExit()
{
    RuntimeState& state = State();
    state.quitting = true;   // CancelClose handlers see a quitting application
    state.phase = Phase::Ended;
    for (const Ref<Window>& window : OpenWindows()) {
        if (window->IsOpen() && !IsClosing(*window))
            window->Close();
    }
    DropAllWindows();
    const Int32 status = state.quitCode != 0 ? state.quitCode : state.startupFailed ? 1 : 0;
    Ref<Application> app = std::move(state.app);
    state = RuntimeState {};
    app.Release();
    return status;
}

void Quit(Int32 code)
{
    RuntimeState& state = State();
    if (state.quitting)
        return;
    state.quitting = true;
    state.quitCode = code;
    if (!CloseOpenWindows()) {
        State().quitting = false;
        State().quitCode = 0;
        return;
    }
    if (State().phase == Phase::Running)
        QCoreApplication::exit(code);
    else
        State().quitBeforeLoop = true;
}

bool IsQuitting()
{
    return State().quitting;
}

void RuntimeBackgroundTask()
{
    ++State().backgroundTasks;
}

std::uint64_t RuntimeBackgroundTaskCount()
{
    return State().backgroundTasks;
}

bool CallSystemCode(const std::function<bool()>& call, bool fallback)
{
    ExceptionRef escaped;
    bool result = fallback;
    try {
        if (ExceptionHelper helper = State().helper) {
            CallContext context { &call, fallback };
            escaped = helper(&Trampoline, &context);
            if (!escaped)
                result = context.result;
        } else {
            result = call();
        }
    } catch (...) {
        // The helper lets through what is not a RuntimeException; it must
        // stop here all the same.
        escaped = std::current_exception();
    }
    if (!escaped)
        return result;
    ReportUnhandled(std::move(escaped), false);
    return fallback;
}
