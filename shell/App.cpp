#include "App.h"

#include "Runtime.h"

const ClassRecord& App::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(
        ClassRecordBuilder("App", &Application::Class())
            .Finaliser([](Object& self) { static_cast<App&>(self).rand = nullptr; })
            .AddVirtual("Event_Open", "()")
            .AddVirtual("Constructor", "()")
            .Event("Open",
                   [](Object& self, EventArgs&) {
                       static_cast<App&>(self).Event_Open();
                       return false;
                   })
            .Method("Event_Open", Scope::Public, "()")
            .Method("Constructor", Scope::Public, "()")
            .Property("rand", Scope::Public, "Random")
            .Build());
    return record;
}

Ref<App> App::Shared()
{
    return RefCast<App>(GetAppObject());
}

void App::Event_Open()
{
    rand = New<Random>();
}
