// The runtime: the boundary that stops exceptions before Qt, the exit
// status of a run, quitting, start-up failure and the background count.
#include "Application.h"
#include "Exceptions.h"
#include "Runtime.h"
#include "ScriptedInteraction.h"
#include "Window.h"

#include <QApplication>
#include <QMetaObject>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// As the system's helper does: a RuntimeException is returned, anything
// else passes on.
int helperCalls = 0;
ExceptionRef CatchingHelper(void (*fn)(void*), void* arg)
{
    ++helperCalls;
    try {
        fn(arg);
        return nullptr;
    } catch (const RuntimeException&) {
        return std::current_exception();
    }
}

// An application whose UnhandledException handler is scripted per test.
class TestApp : public Application {
public:
    static const ClassRecord& Class()
    {
        static const ClassRecord& record = ClassRegistry::Register(
            ClassRecordBuilder("TestApp", &Application::Class())
                .Event("UnhandledException",
                       [](Object& self, EventArgs&) { return static_cast<TestApp&>(self).onUnhandled(); })
                .Event("Open",
                       [](Object& self, EventArgs&) {
                           static_cast<TestApp&>(self).onOpen();
                           return false;
                       })
                .Build());
        return record;
    }
    const ClassRecord& ClassInfo() const override { return Class(); }

    std::function<bool()> onUnhandled = [] { return false; };
    std::function<void()> onOpen = [] {};
};

// A window whose CancelClose is scripted per test and counted.
class TestWindow : public Window {
public:
    static const ClassRecord& Class()
    {
        static const ClassRecord& record = ClassRegistry::Register(
            ClassRecordBuilder("TestWindow", &Window::Class())
                .Event("CancelClose",
                       [](Object& self, EventArgs& args) {
                           auto& w = static_cast<TestWindow&>(self);
                           ++w.cancelCloseCalls;
                           w.sawQuitting = args.flag;
                           return w.onCancelClose();
                       })
                .Build());
        return record;
    }
    const ClassRecord& ClassInfo() const override { return Class(); }

    std::function<bool()> onCancelClose = [] { return false; };
    int cancelCloseCalls = 0;
    bool sawQuitting = false;
};

Ref<TestWindow> OpenTestWindow()
{
    Ref<TestWindow> window = New<TestWindow>();
    window->Constructor();
    return window;
}

class RuntimeTest : public testing::Test {
protected:
    void SetUp() override
    {
        RuntimeInit();
        helperCalls = 0;
    }
    void TearDown() override { RuntimeExit(); }

    // Runs the event loop with the given work queued in it; a loop that
    // does not end by itself is ended with 99.
    static void RunLoopWith(std::function<void()> work)
    {
        QTimer::singleShot(0, qApp, std::move(work));
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        guard.start(10000);
        RuntimeRun();
    }

    ScopedInteraction script;
};

struct Escape {
    const char* what;
    std::function<bool()> call;
    const char* text;
};

const std::vector<Escape>& Escapes()
{
    static const std::vector<Escape> escapes = {
        { "framework exception",
          []() -> bool { Raise<IOException>("Cannot open \"/x\": Permission denied", 13); },
          "An exception of class IOException was not handled.\n\nCannot open \"/x\": Permission denied" },
        { "framework exception without a message", []() -> bool { Raise<NilObjectException>(""); },
          "An exception of class NilObjectException was not handled." },
        { "standard exception", []() -> bool { throw std::runtime_error("disk on fire"); },
          "An exception of class std::exception was not handled.\n\ndisk on fire" },
        { "out of memory", []() -> bool { throw std::bad_alloc(); },
          "An exception of class std::exception was not handled.\n\nstd::bad_alloc" },
        { "not an exception", []() -> bool { throw 42; }, "An unknown exception was not handled." },
    };
    return escapes;
}

TEST_F(RuntimeTest, AnEscapedExceptionIsReportedAndTheFallbackReturned)
{
    for (ExceptionHelper helper : { ExceptionHelper(nullptr), ExceptionHelper(&CatchingHelper) }) {
        RuntimeSetExceptionHelper(helper);
        for (const Escape& e : Escapes()) {
            SCOPED_TRACE(testing::Message() << e.what << (helper ? " through the helper" : " without a helper"));
            const std::size_t before = script->Errors().size();
            EXPECT_TRUE(CallSystemCode(e.call, true));
            EXPECT_FALSE(CallSystemCode(e.call, false));
            ASSERT_EQ(script->Errors().size(), before + 2);
            EXPECT_EQ(script->Errors().back().title, "Unhandled exception");
            EXPECT_EQ(script->Errors().back().text, e.text);
        }
        // Nothing escaped: the call's own answer.
        EXPECT_TRUE(CallSystemCode([] { return true; }, false));
        EXPECT_FALSE(CallSystemCode([] { return false; }, true));
    }
    EXPECT_EQ(helperCalls, static_cast<int>(2 * Escapes().size() + 2));
    EXPECT_FALSE(IsQuitting());
}

TEST_F(RuntimeTest, TheApplicationMayHandleAnUnhandledExceptionItself)
{
    Ref<TestApp> app = New<TestApp>();
    RuntimeRegisterAppObject(app);
    std::string seen;
    struct Case {
        const char* what;
        std::function<bool()> handler;
        const char* reported;   // nullptr: nothing reported
    };
    const Case cases[] = {
        { "handled",
          [&] {
              // The handler reaches the exception by rethrowing it.
              try {
                  throw;
              } catch (const RuntimeException& e) {
                  seen = e.ClassName() + std::string(": ") + e.Message();
              }
              return true;
          },
          nullptr },
        { "declined", [] { return false; },
          "An exception of class IOException was not handled.\n\nCannot open \"/x\"" },
        { "handler fails", []() -> bool { throw std::logic_error("handler broke"); },
          "An exception of class std::exception was not handled.\n\nhandler broke" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app->onUnhandled = c.handler;
        const std::size_t before = script->Errors().size();
        EXPECT_FALSE(CallSystemCode([]() -> bool { Raise<IOException>("Cannot open \"/x\""); }));
        ASSERT_EQ(script->Errors().size(), before + (c.reported ? 1 : 0));
        if (c.reported) {
            EXPECT_EQ(script->Errors().back().text, c.reported);
        }
    }
    EXPECT_EQ(seen, "IOException: Cannot open \"/x\"");
}

TEST_F(RuntimeTest, QuitEndsTheRunWithItsCode)
{
    struct Case {
        const char* what;
        bool inLoop;
        std::vector<Int32> quits;   // the first one counts
        Int32 status;
    };
    const Case cases[] = {
        { "in the loop", true, { 3 }, 3 },
        { "in the loop, twice", true, { 3, 7 }, 3 },
        { "before the loop", false, { 3 }, 3 },
        { "before the loop, twice", false, { 4, 0 }, 4 },
        { "no quit", false, {}, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RuntimeInit();
        Ref<TestWindow> window = OpenTestWindow();
        auto quit = [&] {
            for (Int32 code : c.quits)
                Quit(code);
            EXPECT_EQ(IsQuitting(), !c.quits.empty());
        };
        if (c.inLoop) {
            RunLoopWith(quit);
        } else {
            quit();
            if (!c.quits.empty())
                RuntimeRun();   // returns at once
        }
        // One CancelClose per window, however many quits came.
        EXPECT_EQ(window->cancelCloseCalls, c.quits.empty() ? 0 : 1);
        EXPECT_EQ(window->IsOpen(), c.quits.empty());
        EXPECT_EQ(RuntimeExit(), c.status);
        EXPECT_TRUE(window->sawQuitting);
        EXPECT_FALSE(IsQuitting());
    }
}

TEST_F(RuntimeTest, AWindowThatRefusesToCloseCancelsTheQuit)
{
    Ref<TestWindow> first = OpenTestWindow(), refusing = OpenTestWindow();
    refusing->onCancelClose = [] { return true; };
    Quit(2);
    EXPECT_FALSE(IsQuitting());
    EXPECT_TRUE(refusing->IsOpen());
    EXPECT_EQ(refusing->cancelCloseCalls, 1);

    // A later quit is not swallowed by the cancelled one.
    refusing->onCancelClose = [] { return false; };
    RunLoopWith([] { Quit(5); });
    EXPECT_FALSE(refusing->IsOpen());
    EXPECT_EQ(RuntimeExit(), 5);
}

TEST_F(RuntimeTest, AQuitFromInsideCancelCloseEndsTheRunOnce)
{
    Ref<TestWindow> window = OpenTestWindow(), other = OpenTestWindow();
    window->onCancelClose = [] {
        Quit(6);
        return false;
    };
    RunLoopWith([&] { window->Close(); });
    EXPECT_EQ(window->cancelCloseCalls, 1);
    EXPECT_EQ(other->cancelCloseCalls, 1);
    EXPECT_FALSE(window->IsOpen());
    EXPECT_FALSE(other->IsOpen());
    EXPECT_EQ(RuntimeExit(), 6);
}

TEST_F(RuntimeTest, AFailedStartUpEndsTheRunWithStatusOne)
{
    struct Case {
        const char* what;
        bool openFails;
        void (*lateStartup)();
    };
    const Case cases[] = {
        { "the Open event", true, [] {} },
        { "late start-up", false, [] { Raise<KeyNotFoundException>("No window class \"Main\""); } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RuntimeInit();
        RuntimeSetExceptionHelper(&CatchingHelper);
        Ref<TestApp> app = New<TestApp>();
        if (c.openFails)
            app->onOpen = [] { Raise<KeyNotFoundException>("No window class \"Main\""); };
        RuntimeRegisterAppObject(app);
        Ref<TestWindow> window = OpenTestWindow();
        const std::size_t before = script->Errors().size();
        // The exception reaches the system's catch-all, which hands it on.
        EXPECT_THROW(
            {
                try {
                    RunFrameworkInitialization(c.lateStartup);
                } catch (const KeyNotFoundException& e) {
                    EXPECT_EQ(e.Message(), "No window class \"Main\"");
                    UnhandledException(std::current_exception());
                    throw;
                }
            },
            KeyNotFoundException);
        ASSERT_EQ(script->Errors().size(), before + 1);
        EXPECT_EQ(script->Errors().back().text,
                  "An exception of class KeyNotFoundException was not handled.\n\nNo window class \"Main\"");
        RuntimeRun();   // returns at once: nothing is left to run
        EXPECT_EQ(RuntimeExit(), 1);
        EXPECT_FALSE(window->IsOpen());
        EXPECT_TRUE(GetAppObject().IsNil());
    }
}

TEST_F(RuntimeTest, AnExceptionInAnEventHandlerDoesNotFailTheRun)
{
    auto failingHandler = [] { CallSystemCode([]() -> bool { Raise<IOException>("Cannot open \"/x\""); }); };
    for (bool inLoop : { false, true }) {
        SCOPED_TRACE(inLoop ? "in the loop" : "before the loop");
        RuntimeInit();
        const std::size_t before = script->Errors().size();
        if (inLoop) {
            RunLoopWith([&] {
                failingHandler();
                Quit(0);
            });
        } else {
            failingHandler();
        }
        EXPECT_EQ(script->Errors().size(), before + 1);
        EXPECT_EQ(RuntimeExit(), 0);
    }
}

TEST_F(RuntimeTest, TheBackgroundTaskOnlyCountsAndAStartResetsTheCount)
{
    bool ran = false;
    QMetaObject::invokeMethod(qApp, [&] { ran = true; }, Qt::QueuedConnection);
    EXPECT_EQ(RuntimeBackgroundTaskCount(), 0u);
    for (int i = 0; i < 3; ++i)
        RuntimeBackgroundTask();
    EXPECT_EQ(RuntimeBackgroundTaskCount(), 3u);
    // Processing events here would re-enter the quiz in the middle of a draw.
    EXPECT_FALSE(ran);
    QCoreApplication::processEvents();
    EXPECT_TRUE(ran);

    RuntimeInit();
    EXPECT_EQ(RuntimeBackgroundTaskCount(), 0u);
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed());
}

} // namespace
