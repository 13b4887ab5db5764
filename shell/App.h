#pragma once

#include "Application.h"
#include "Random.h"

// The application object: one per run, registered with the framework at
// start-up. Its only state is rand, the source of every random draw.
class App : public Application {
public:
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    // The registered application object; nil before start-up registers it.
    static Ref<App> Shared();

    void Constructor() { }
    void Event_Open();

    // Nil until the Open event.
    Ref<Random> rand;
};
