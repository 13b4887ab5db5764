// The shared menu bar: its items, and its holder.
#include "ImplicitInstance.h"
#include "MainMenuBar.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct ItemExpectation {
    const char* name;
    const char* text;
    const char* shortcut;   // nullptr: never set
    bool quit = false;
};

std::vector<std::string> ChildNames(const MenuItem& menu)
{
    std::vector<std::string> names;
    for (Int32 i = 0; i < menu.Count(); ++i)
        names.push_back(menu.Item(i)->Name().ToStdString());
    return names;
}

class MainMenuBarTest : public testing::Test {
protected:
    void TearDown() override { MainMenuBar::ReleaseShared(); }
};

TEST_F(MainMenuBarTest, TheAccessorBuildsOneSharedBar)
{
    EXPECT_FALSE(MainMenuBar::HasShared());
    Ref<MainMenuBar> first = MainMenuBar::Shared();
    Ref<MainMenuBar> second = MainMenuBar::Shared();
    EXPECT_EQ(first, second);
    // Built once: a second construction would have doubled the menus.
    EXPECT_EQ(first->Count(), 3);
}

TEST_F(MainMenuBarTest, MenusAndItemsStandInTheirOrderWithTheirTexts)
{
    Ref<MainMenuBar> bar = MainMenuBar::Shared();
    EXPECT_EQ(ChildNames(*bar), (std::vector<std::string> { "FileMenu", "EditMenu", "Options" }));
    EXPECT_EQ(ChildNames(*bar->Child("FileMenu")), (std::vector<std::string> { "menuOpen", "FileQuit" }));
    EXPECT_EQ(ChildNames(*bar->Child("EditMenu")),
              (std::vector<std::string> { "EditUndo", "EditSeparator1", "EditCut", "EditCopy", "EditPaste",
                                          "EditClear", "EditSeparator2", "EditSelectAll" }));
    EXPECT_EQ(ChildNames(*bar->Child("Options")), (std::vector<std::string> { "menuUseLeftWordAsQuestion" }));

    const ItemExpectation items[] = {
        { "FileMenu", "&File", "" },
        { "menuOpen", "Open Vocabulary File...", "Cmd+o" },
        { "FileQuit", "&Quit", "Cmd+Q", true },
        { "EditMenu", "&Edit", "" },
        { "EditUndo", "&Undo", "Cmd+Z" },
        { "EditSeparator1", "-", nullptr },
        { "EditCut", "Cu&t", "Cmd+X" },
        { "EditCopy", "&Copy", "Cmd+C" },
        { "EditPaste", "&Paste", "Cmd+V" },
        { "EditClear", "&Delete", "" },
        { "EditSeparator2", "-", nullptr },
        { "EditSelectAll", "Select &All", "Cmd+A" },
        { "Options", "Options", "" },
        { "menuUseLeftWordAsQuestion", "Use Left Word As Question", "" },
    };
    for (const auto& expected : items) {
        SCOPED_TRACE(expected.name);
        Ref<MenuItem> item = bar->Lookup(expected.name);
        ASSERT_FALSE(item.IsNil());
        EXPECT_EQ(item->Text(), expected.text);
        EXPECT_EQ(item->HasKeyboardShortcut(), expected.shortcut != nullptr);
        EXPECT_EQ(item->KeyboardShortcut(), expected.shortcut ? expected.shortcut : "");
        EXPECT_TRUE(item->AutoEnable());
        EXPECT_FALSE(item->Checked());
        EXPECT_EQ(!RefCast<QuitMenuItem>(item).IsNil(), expected.quit);
    }
    EXPECT_EQ(bar->Lookup("menuUseLeftWordAsQuestion")->Parent(), bar->Child("Options").Raw());
    EXPECT_TRUE(bar->Lookup("NoSuchItem").IsNil());
}

TEST_F(MainMenuBarTest, ReleaseEmptiesTheHolderAndDropsTheBar)
{
    MainMenuBar::ReleaseShared();   // empty: nothing happens
    std::weak_ptr<MainMenuBar> bar = MainMenuBar::Shared().Shared();
    ASSERT_FALSE(bar.expired());
    MainMenuBar::ReleaseShared();
    EXPECT_FALSE(MainMenuBar::HasShared());
    EXPECT_TRUE(bar.expired());
    EXPECT_FALSE(MainMenuBar::Shared().IsNil());
}

TEST_F(MainMenuBarTest, ClassRecordReplacesTheConstructorSlotAndAddsItsBuilders)
{
    const ClassRecord& record = MainMenuBar::Class();
    EXPECT_EQ(record.name, "MainMenuBar.MainMenuBar");
    EXPECT_EQ(ListMethods(record), (std::vector<std::string> { "FileMenu", "EditMenu", "Options", "Constructor" }));
    const auto& ops = record.virtualOperations;
    ASSERT_EQ(ops.size(), 28u);
    EXPECT_EQ(ops[4].name, "Constructor");
    EXPECT_EQ(ops[4].definedBy, "MainMenuBar.MainMenuBar");
    EXPECT_EQ(ops[5].definedBy, "MenuItem");
    EXPECT_EQ(ops[25].name, "FileMenu");
    EXPECT_EQ(ops[27].name, "Options");
}

TEST(ImplicitInstance, AFailureWhileBuildingLeavesTheHolderEmptyForAFreshTry)
{
    ImplicitInstance<MenuItem> holder;
    int builds = 0;
    auto failing = [&]() -> Ref<MenuItem> {
        ++builds;
        Ref<MenuItem> half = New<MenuItem>();
        throw std::runtime_error("menu operation failed");
    };
    EXPECT_THROW(holder.Get(failing), std::runtime_error);
    EXPECT_TRUE(holder.IsEmpty());

    Ref<MenuItem> built = holder.Get([&] {
        ++builds;
        return New<MenuItem>();
    });
    EXPECT_EQ(builds, 2);
    EXPECT_EQ(holder.Get(failing), built);
    EXPECT_EQ(builds, 2);
}

} // namespace
