#include "Application.h"

#include "UIThread.h"

// The application's events, raised by the framework through the event table
// when a subclass handles them: Activate, CancelClose, Close, Deactivate,
// EnableMenuItems, HandleAppleEvent, NewDocument, Open, OpenDocument and
// UnhandledException (see Runtime.cpp for how its handler reaches the
// exception).
const ClassRecord& Application::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(
        ClassRecordBuilder("Application", &Object::Class())
            .AddVirtual("AddTrayItem")
            .AddVirtual("DoEvents")
            .AddVirtual("NewDocument")
            .AddVirtual("OpenDocument")
            .AddVirtual("RemoveTrayItem")
            .AddVirtual("SleepCurrentThread")
            .AddVirtual("YieldToNextThread")
            .AddVirtual("_AddMenuHandler")
            .AddVirtual("_AddPollableObject")
            .AddVirtual("_CallOpen")
            .AddVirtual("_DoSingleEvent")
            .AddVirtual("_EnableMenuItems")
            .AddVirtual("_HandleMenuCommand")
            .AddVirtual("_LoadBundleSound")
            .AddVirtual("_LoadPictureFromBundle")
            .AddVirtual("_RemovePollableObject")
            .AddVirtual("__DependencyList")
            .Property("MenuBar", Scope::Public, "MenuBar")
            .Build());
    return record;
}

Ref<::MenuBar> Application::MenuBar() const
{
    RequireUIThread("Application.MenuBar");
    return menuBar_;
}

void Application::MenuBar(Ref<::MenuBar> bar)
{
    RequireUIThread("Application.MenuBar");
    menuBar_ = std::move(bar);
}

void Application::CallOpen()
{
    EventArgs args;
    RaiseEvent("Open", args);
}
