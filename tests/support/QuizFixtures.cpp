#include "QuizFixtures.h"

#include "Runtime.h"

ScriptedApp::ScriptedApp()
    : app_(New<App>())
    , rand_(New<ScriptedRandom>())
{
    app_->rand = rand_;
    RuntimeRegisterAppObject(app_);
}

ScriptedApp::~ScriptedApp() { RuntimeRegisterAppObject(nullptr); }
