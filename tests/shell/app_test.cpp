// The application object and its random source.
#include "App.h"
#include "Exceptions.h"
#include "Runtime.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(App, IsReachableBeforeOpenWithNoRandomSource)
{
    Ref<App> app = New<App>();
    RuntimeRegisterAppObject(app);
    EXPECT_EQ(App::Shared(), app);
    EXPECT_TRUE(App::Shared()->rand.IsNil());
    ExpectRaise<NilObjectException>([] { App::Shared()->rand->InRange(1, 3); },
                                    "A nil object was used where an object was expected");
    RuntimeRegisterAppObject(nullptr);
}

TEST(App, OpenEventGoesThroughTheEventTableAndReplacesRand)
{
    Ref<App> app = New<App>();
    app->CallOpen();
    Ref<Random> first = app->rand;
    ASSERT_FALSE(first.IsNil());
    std::weak_ptr<Random> firstAlive = first.Shared();
    first.Release();

    app->CallOpen();
    EXPECT_FALSE(app->rand.IsNil());
    EXPECT_TRUE(firstAlive.expired());
}

TEST(App, ReleasesRandAtItsEnd)
{
    Ref<App> app = New<App>();
    app->CallOpen();
    std::weak_ptr<Random> rand = app->rand.Shared();
    app.Release();
    EXPECT_TRUE(rand.expired());
}

TEST(App, ClassRecordListsItsMembersAndOwnVirtualsAfterTheBase)
{
    const ClassRecord& record = App::Class();
    EXPECT_EQ(record.name, "App");
    EXPECT_EQ(record.base, &Application::Class());
    EXPECT_EQ(ListMethods(record), (std::vector<std::string> { "Event_Open", "Constructor" }));
    EXPECT_EQ(ListProperties(record), (std::vector<std::string> { "rand" }));
    const auto& ops = record.virtualOperations;
    ASSERT_EQ(ops.size(), 19u);
    EXPECT_EQ(ops[0].name, "AddTrayItem");
    EXPECT_EQ(ops[16].name, "__DependencyList");
    EXPECT_EQ(ops[17].name, "Event_Open");
    EXPECT_EQ(ops[18].name, "Constructor");
    EXPECT_NE(record.FindEvent("Open"), nullptr);
    EXPECT_EQ(record.FindEvent("UnhandledException"), nullptr);
}

TEST(Random, InRangeStaysWithinBothBounds)
{
    Random rand;
    std::set<Int32> seen;
    for (int i = 0; i < 300; ++i)
        seen.insert(rand.InRange(1, 3));
    EXPECT_EQ(seen, (std::set<Int32> { 1, 2, 3 }));
    EXPECT_EQ(rand.InRange(0, 0), 0);
    ExpectRaise<OutOfBoundsException>([&] { rand.InRange(0, -1); },
                                      "InRange(0, -1): the lower bound is above the upper bound");

    Random a, b;
    a.Seed(42);
    b.Seed(42);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(a.InRange(0, 1000000), b.InRange(0, 1000000));
}

} // namespace
