// Menu items as a tree, and as Qt shows them in a window: structure,
// shortcuts, check marks, enabling and the road from a chosen action back
// into the window's handlers.
#include "Application.h"
#include "Exceptions.h"
#include "MenuItem.h"
#include "MenuRealisation.h"
#include "QtAccess.h"
#include "RectControl.h"
#include "Runtime.h"
#include "ScriptedInteraction.h"
#include "Window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

template <class T = MenuItem>
Ref<T> NewItem(const char* name, const char* text = "", const char* shortcut = "")
{
    Ref<T> item = New<T>();
    item->Constructor();
    item->Name(name);
    item->Text(text);
    item->AutoEnable(true);
    item->KeyboardShortcut(shortcut);
    return item;
}

std::vector<std::string> Names(const MenuItem& menu)
{
    std::vector<std::string> names;
    for (Int32 i = 0; i < menu.Count(); ++i)
        names.push_back(menu.Item(i)->Name().ToStdString());
    return names;
}

// ---- The tree ---------------------------------------------------------

// A: { A1: { dup } }, B: { dup, B2 }. Depth-first finds A's dup; a
// breadth-first search would find B's first.
Ref<MenuBar> DuplicateNameTree()
{
    Ref<MenuBar> bar = NewItem<MenuBar>("bar");
    Ref<MenuItem> a = NewItem("A"), a1 = NewItem("A1"), b = NewItem("B");
    a1->Append(NewItem("dup", "deep in A"));
    a->Append(a1);
    b->Append(NewItem("dup", "in B"));
    b->Append(NewItem("B2"));
    bar->Append(a);
    bar->Append(b);
    return bar;
}

TEST(MenuTree, AppendKeepsTheOrderAndSetsTheParent)
{
    Ref<MenuItem> menu = NewItem("menu");
    for (const char* name : { "one", "two", "three" })
        menu->Append(NewItem(name));
    EXPECT_EQ(Names(*menu), (std::vector<std::string> { "one", "two", "three" }));
    EXPECT_EQ(menu->Item(2)->Parent(), menu.Raw());
    EXPECT_EQ(menu->Parent(), nullptr);
}

TEST(MenuTree, ChildLooksOneLevelDownAndLookupDepthFirst)
{
    Ref<MenuBar> bar = DuplicateNameTree();
    struct Case {
        const char* name;
        const char* child;    // the Text Child finds, nullptr for nil
        const char* lookup;   // the Text Lookup finds, nullptr for nil
    };
    const Case cases[] = {
        { "A", "", "" },
        { "dup", nullptr, "deep in A" },
        { "B2", nullptr, "" },
        { "missing", nullptr, nullptr },
        { "", nullptr, nullptr },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Ref<MenuItem> child = bar->Child(c.name);
        Ref<MenuItem> found = bar->Lookup(c.name);
        ASSERT_EQ(child.IsNil(), c.child == nullptr);
        ASSERT_EQ(found.IsNil(), c.lookup == nullptr);
        if (c.child) {
            EXPECT_EQ(child->Text(), c.child);
        }
        if (c.lookup) {
            EXPECT_EQ(found->Text(), c.lookup);
        }
    }
    // Lookup starts below the item it is asked on.
    EXPECT_EQ(bar->Child("B")->Lookup("dup")->Text(), "in B");
    EXPECT_TRUE(bar->Lookup("bar").IsNil());
}

TEST(MenuTree, BadUseIsRefusedAndLeavesTheTreeAsItWas)
{
    Ref<MenuBar> bar = DuplicateNameTree();
    Ref<MenuItem> a = bar->Child("A"), b = bar->Child("B"), a1 = a->Child("A1");

    ExpectRaise<UnsupportedOperationException>([&] { b->Append(a1); },
                                               "The menu item \"A1\" already belongs to \"A\" and cannot be "
                                               "appended to \"B\"");
    ExpectRaise<UnsupportedOperationException>([&] { a->Append(a); },
                                               "The menu item \"A\" already belongs to \"bar\" and cannot be "
                                               "appended to \"A\"");
    Ref<MenuItem> loose = NewItem("loose");
    ExpectRaise<UnsupportedOperationException>([&] { loose->Append(loose); },
                                               "The menu item \"loose\" cannot be appended to itself or to an "
                                               "item below it");
    ExpectRaise<NilObjectException>([&] { a->Append(nullptr); },
                                    "A nil object was used where an object was expected");
    EXPECT_EQ(Names(*a), std::vector<std::string> { "A1" });
    EXPECT_EQ(Names(*b), (std::vector<std::string> { "dup", "B2" }));
    EXPECT_EQ(Names(*loose), std::vector<std::string> {});

    for (Int32 index : { -1, 2 }) {
        SCOPED_TRACE(index);
        ExpectRaise<OutOfBoundsException>([&] { b->Item(index); },
                                          "Index " + std::to_string(index)
                                              + " is outside the 2 items of menu \"B\"");
    }
}

TEST(MenuTree, AShortcutThatNamesNoKeyIsRefusedAndTheOldOneKept)
{
    Ref<MenuItem> item = NewItem("menuOpen", "Open", "Cmd+O");
    for (const char* bad : { "Cmd+Nonsense", "Cmd+", "Hyper+X", "Cmd" }) {
        SCOPED_TRACE(bad);
        ExpectRaise<UnsupportedOperationException>([&] { item->KeyboardShortcut(bad); },
                                                   std::string("The keyboard shortcut \"") + bad
                                                       + "\" of menu item \"menuOpen\" names no key; use a form "
                                                         "such as \"Cmd+O\" or \"Cmd+Shift+F5\"");
        EXPECT_EQ(item->KeyboardShortcut(), "Cmd+O");
    }
}

// ---- Threads ----------------------------------------------------------

std::exception_ptr RaisedOnAnotherThread(const std::function<void()>& operation)
{
    std::exception_ptr raised;
    std::thread([&] {
        try {
            operation();
        } catch (...) {
            raised = std::current_exception();
        }
    }).join();
    return raised;
}

TEST(MenuThreads, EachOperationRaisesOnAnotherThreadAndChangesNothing)
{
    Ref<MenuBar> bar = NewItem<MenuBar>("bar");
    Ref<MenuItem> options = NewItem("Options", "Options");
    Ref<MenuItem> option = NewItem("option", "Use Left Word As Question");
    options->Append(option);
    bar->Append(options);
    Ref<MenuItem> loose = NewItem("loose", "Loose", "Cmd+L");
    Ref<Window> window = New<Window>();
    Ref<Application> app = New<Application>();

    struct Case {
        const char* operation;   // as the message names it
        const char* call;
        std::function<void()> run;
    };
    // Every guarded operation, getters included: a getter reads what the
    // user-interface thread may be changing.
#define OFF_THREAD(operation, ...) Case { operation, #__VA_ARGS__, [&] { (void)(__VA_ARGS__); } }
    const Case cases[] = {
        OFF_THREAD("MenuItem.Constructor", New<MenuItem>()),
        OFF_THREAD("MenuItem.Constructor", loose->Constructor()),
        OFF_THREAD("MenuItem.Name", loose->Name()),
        OFF_THREAD("MenuItem.Name", loose->Name("renamed")),
        OFF_THREAD("MenuItem.Text", loose->Text()),
        OFF_THREAD("MenuItem.Text", loose->Text("Renamed")),
        OFF_THREAD("MenuItem.KeyboardShortcut", loose->KeyboardShortcut()),
        OFF_THREAD("MenuItem.KeyboardShortcut", loose->KeyboardShortcut("Cmd+R")),
        OFF_THREAD("MenuItem.KeyboardShortcut", loose->HasKeyboardShortcut()),
        OFF_THREAD("MenuItem.AutoEnable", loose->AutoEnable()),
        OFF_THREAD("MenuItem.AutoEnable", loose->AutoEnable(false)),
        OFF_THREAD("MenuItem.Checked", option->Checked()),
        OFF_THREAD("MenuItem.Checked", option->Checked(true)),
        OFF_THREAD("MenuItem.Enabled", option->Enabled()),
        OFF_THREAD("MenuItem.Enabled", option->Enabled(false)),
        OFF_THREAD("MenuItem.Append", options->Append(loose)),
        OFF_THREAD("MenuItem.Count", bar->Count()),
        OFF_THREAD("MenuItem.Item", bar->Item(0)),
        OFF_THREAD("MenuItem.Child", bar->Child("Options")),
        OFF_THREAD("MenuItem.Lookup", bar->Lookup("option")),
        OFF_THREAD("MenuItem.Parent", option->Parent()),
        OFF_THREAD("Window.MenuBar", window->MenuBar()),
        OFF_THREAD("Window.MenuBar", window->MenuBar(bar)),
        OFF_THREAD("Application.MenuBar", app->MenuBar()),
        OFF_THREAD("Application.MenuBar", app->MenuBar(bar)),
    };
#undef OFF_THREAD
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        std::exception_ptr raised = RaisedOnAnotherThread(c.run);
        if (!raised) {
            ADD_FAILURE() << "nothing was raised";
            continue;
        }
        try {
            std::rethrow_exception(raised);
        } catch (const RuntimeException& e) {
            EXPECT_NE(dynamic_cast<const ThreadAccessingUIException*>(&e), nullptr);
            EXPECT_STREQ(e.ClassName(), "ThreadAccessingUIException");
            EXPECT_EQ(e.Message(),
                      std::string(c.operation) + " was called from a thread other than the user-interface thread");
        } catch (...) {
            ADD_FAILURE() << "not a RuntimeException";
        }
    }

    EXPECT_EQ(loose->Name(), "loose");
    EXPECT_EQ(loose->Text(), "Loose");
    EXPECT_EQ(loose->KeyboardShortcut(), "Cmd+L");
    EXPECT_TRUE(loose->AutoEnable());
    EXPECT_FALSE(option->Checked());
    EXPECT_TRUE(option->Enabled());
    EXPECT_EQ(Names(*options), std::vector<std::string> { "option" });
    EXPECT_TRUE(window->MenuBar().IsNil());
    EXPECT_TRUE(app->MenuBar().IsNil());
}

// ---- Shown in a window ------------------------------------------------

// A window whose handlers are counted and answer as the test says.
class RealisedMenu : public testing::Test {
protected:
    void SetUp() override
    {
        RuntimeInit();
        handled.clear();
        window = New<Window>();
        window->Constructor();

        bar = NewItem<MenuBar>("bar");
        Ref<MenuItem> file = NewItem("FileMenu", "&File");
        file->Append(NewItem("menuOpen", "&Open...", "Cmd+o"));
        file->Append(NewItem("FileSeparator", "-"));
        Ref<MenuItem> recent = NewItem("RecentMenu", "Open &Recent");
        recent->Append(NewItem("RecentFirst", "first.txt"));
        file->Append(recent);
        file->Append(NewItem<QuitMenuItem>("FileQuit", "&Quit", "Cmd+Q"));
        Ref<MenuItem> edit = NewItem("EditMenu", "&Edit");
        for (const char* name : { "EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll" })
            edit->Append(NewItem(name, name));
        Ref<MenuItem> options = NewItem("Options", "Options");
        options->Append(NewItem("menuLeft", "Use Left Word As Question"));
        Ref<MenuItem> fixedOn = NewItem("FixedOn", "Fixed on"), fixedOff = NewItem("FixedOff", "Fixed off");
        fixedOn->AutoEnable(false);
        fixedOff->AutoEnable(false);
        fixedOff->Enabled(false);
        options->Append(fixedOn);
        options->Append(fixedOff);
        bar->Append(file);
        bar->Append(edit);
        bar->Append(options);
    }

    void TearDown() override
    {
        RuntimeExit();
        window = nullptr;
    }

    void Handle(const char* name, bool answer = true)
    {
        window->AddMenuHandler(name, [this, name, answer] {
            handled.push_back(name);
            return answer;
        });
    }

    void Show() { window->MenuBar(bar); }

    void Restart()
    {
        TearDown();
        SetUp();
    }

    QAction* Action(const char* name) const
    {
        Ref<MenuItem> item = bar->Lookup(name);
        return item ? QtAction(*window, *item) : nullptr;
    }

    Ref<Window> window;
    Ref<MenuBar> bar;
    std::vector<std::string> handled;
};

TEST_F(RealisedMenu, EveryItemBecomesAMenuAnActionOrASeparator)
{
    Show();
    QMenuBar* menuBar = QtMenuBar(*window);
    ASSERT_NE(menuBar, nullptr);
    ASSERT_EQ(QtWindow(*window)->menuBar(), menuBar);

    std::vector<std::string> titles;
    for (QAction* a : menuBar->actions())
        titles.push_back(a->text().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string> { "&File", "&Edit", "Options" }));

    QMenu* file = menuBar->actions().at(0)->menu();
    ASSERT_NE(file, nullptr);
    std::vector<std::string> entries;
    for (QAction* a : file->actions())
        entries.push_back(a->isSeparator() ? "-" : a->objectName().toStdString() + " " + a->text().toStdString());
    EXPECT_EQ(entries, (std::vector<std::string> { "menuOpen &Open...", "-", "RecentMenu Open &Recent",
                                                   "FileQuit &Quit" }));

    QAction* recent = Action("RecentMenu");
    ASSERT_NE(recent, nullptr);
    ASSERT_NE(recent->menu(), nullptr);
    EXPECT_EQ(recent->menu()->actions().at(0), Action("RecentFirst"));
    EXPECT_EQ(Action("FileMenu"), menuBar->actions().at(0));
    EXPECT_EQ(Action("menuOpen")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_TRUE(Action("menuLeft")->shortcut().isEmpty());
}

TEST_F(RealisedMenu, ShortcutsMapToQtKeySequences)
{
    Show();
    struct Case {
        const char* shortcut;
        QKeySequence expected;
    };
    const Case cases[] = {
        { "Cmd+o", QKeySequence(Qt::CTRL | Qt::Key_O) },
        { "Cmd+Q", QKeySequence(Qt::CTRL | Qt::Key_Q) },
        { "cmd+shift+x", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X) },
        { "Shift+Cmd+X", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_X) },
        { "Option+F4", QKeySequence(Qt::ALT | Qt::Key_F4) },
        { "Alt+Left", QKeySequence(Qt::ALT | Qt::Key_Left) },
        { "Shift+F5", QKeySequence(Qt::SHIFT | Qt::Key_F5) },
        { "Cmd++", QKeySequence(Qt::CTRL | Qt::Key_Plus) },
        { "Cmd+,", QKeySequence(Qt::CTRL | Qt::Key_Comma) },
        { "F1", QKeySequence(Qt::Key_F1) },
        { "", QKeySequence() },
    };
    Ref<MenuItem> item = bar->Lookup("menuOpen");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shortcut);
        item->KeyboardShortcut(c.shortcut);
        EXPECT_EQ(Action("menuOpen")->shortcut(), c.expected);
    }
}

TEST_F(RealisedMenu, ActionsFollowLaterChangesOfTheirItems)
{
    Show();
    Ref<MenuItem> left = bar->Lookup("menuLeft");
    QAction* action = Action("menuLeft");
    // An option that is off shows nothing, not an empty box.
    EXPECT_FALSE(action->isCheckable());

    left->Checked(true);
    EXPECT_TRUE(action->isCheckable());
    EXPECT_TRUE(action->isChecked());
    left->Checked(false);
    EXPECT_FALSE(action->isChecked());
    EXPECT_FALSE(action->isCheckable());

    left->Text("Use &Right Word");
    left->Enabled(false);
    EXPECT_EQ(action->text(), "Use &Right Word");
    EXPECT_FALSE(action->isEnabled());
    bar->Child("Options")->Text("&Settings");
    EXPECT_EQ(Action("Options")->text(), "&Settings");
}

TEST_F(RealisedMenu, ATriggeredActionShowsTheItemsCheckedStateAfterwards)
{
    Ref<MenuItem> left = bar->Lookup("menuLeft");
    bool toggles = false;
    window->AddMenuHandler("menuLeft", [&] {
        if (toggles)
            left->Checked(!left->Checked());
        return true;
    });
    Show();
    QAction* action = Action("menuLeft");
    struct Case {
        bool checkedBefore;
        bool handlerToggles;
    };
    // Qt flips a checkable action on its own; the item's state must win.
    const Case cases[] = { { false, true }, { true, true }, { false, false }, { true, false } };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "checked " << c.checkedBefore << ", toggles " << c.handlerToggles);
        toggles = c.handlerToggles;
        left->Checked(c.checkedBefore);
        action->trigger();
        const bool expected = c.checkedBefore != c.handlerToggles;
        EXPECT_EQ(left->Checked(), expected);
        EXPECT_EQ(action->isChecked(), expected);
        EXPECT_EQ(action->isCheckable(), expected);
    }
}

TEST_F(RealisedMenu, EnablingFollowsHandlersQuitAndAutoEnable)
{
    Handle("menuOpen");
    Show();
    // Right after realisation, so that a shortcut works before any menu opens.
    EXPECT_TRUE(Action("menuOpen")->isEnabled());
    EXPECT_TRUE(Action("FileQuit")->isEnabled());
    EXPECT_FALSE(Action("menuLeft")->isEnabled());
    EXPECT_FALSE(Action("RecentFirst")->isEnabled());
    EXPECT_FALSE(Action("RecentMenu")->isEnabled());   // nothing in it is enabled
    EXPECT_TRUE(Action("FixedOn")->isEnabled());
    EXPECT_FALSE(Action("FixedOff")->isEnabled());
    for (const char* menu : { "FileMenu", "EditMenu", "Options" })
        EXPECT_TRUE(Action(menu)->isEnabled()) << menu;
    EXPECT_FALSE(bar->Lookup("menuLeft")->Enabled());   // the items say so too

    // A handler that comes later counts once the window is active again, or
    // when its menu is about to show.
    Handle("menuLeft");
    Handle("RecentFirst");
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(QtWindow(*window), &activate);
    EXPECT_TRUE(Action("menuLeft")->isEnabled());
    EXPECT_TRUE(Action("RecentFirst")->isEnabled());
    EXPECT_TRUE(Action("RecentMenu")->isEnabled());

    bar->Lookup("menuLeft")->Enabled(false);
    emit Action("Options")->menu()->aboutToShow();
    EXPECT_TRUE(Action("menuLeft")->isEnabled());
}

TEST_F(RealisedMenu, ChoosingAnItemRunsTheWindowsHandlerThenTheItemsOwnAction)
{
    struct Case {
        const char* name;
        bool hasHandler;
        bool handlerAnswer;
        bool quits;
    };
    const Case cases[] = {
        { "menuOpen", true, true, false },
        { "FileQuit", true, true, false },    // the window's handler comes first
        { "FileQuit", true, false, true },    // declined: the item's own Action quits
        { "FileQuit", false, false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << c.hasHandler << c.handlerAnswer);
        Restart();
        if (c.hasHandler)
            Handle(c.name, c.handlerAnswer);
        Show();
        Action(c.name)->trigger();
        EXPECT_EQ(handled, c.hasHandler ? std::vector<std::string> { c.name } : std::vector<std::string> {});
        EXPECT_EQ(IsQuitting(), c.quits);
        EXPECT_EQ(window->IsOpen(), !c.quits);
    }
    // The quit ends the run with status 0 without a loop ever running.
    RuntimeRun();
    EXPECT_EQ(RuntimeExit(), 0);
}

TEST_F(RealisedMenu, AHandlerThatThrowsIsReportedAndTheMenuGoesOn)
{
    ScopedInteraction script;
    window->AddMenuHandler("menuOpen", []() -> bool { Raise<IOException>("Cannot open \"/x\": Permission denied"); });
    Show();
    Action("menuOpen")->trigger();
    ASSERT_EQ(script->Errors().size(), 1u);
    EXPECT_EQ(script->Errors()[0].text,
              "An exception of class IOException was not handled.\n\nCannot open \"/x\": Permission denied");
    Action("menuOpen")->trigger();
    EXPECT_EQ(script->Errors().size(), 2u);
    EXPECT_FALSE(IsQuitting());
}

// ---- The standard Edit items on the focused field ----------------------

class EditItems : public RealisedMenu {
protected:
    void SetUp() override
    {
        RealisedMenu::SetUp();
        field = window->NewControl<TextField>();
        field->Constructor();
        window->AddControl("field", field);
        Show();
        line = qobject_cast<QLineEdit*>(QtWidget(*field));
        ASSERT_NE(line, nullptr);
        line->setFocus();
    }

    std::string EnabledEditItems()
    {
        window->EnableMenuItems();
        std::string enabled;
        for (const char* name : { "EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll" }) {
            if (Action(name)->isEnabled())
                enabled += std::string(enabled.empty() ? "" : " ") + (name + 4);
        }
        return enabled;
    }

    Ref<TextField> field;
    QLineEdit* line = nullptr;
};

TEST_F(EditItems, OnlyTheItemsThatApplyToTheFocusedFieldAreEnabled)
{
    struct Case {
        const char* what;
        bool readOnly;
        const char* text;
        bool selectAll;
        bool typed;   // an edit to undo
        const char* enabled;
    };
    const Case cases[] = {
        { "empty", false, "", false, false, "Paste" },
        { "text, no selection", false, "hello", false, false, "Paste SelectAll" },
        { "selection", false, "hello", true, false, "Cut Copy Paste Clear SelectAll" },
        { "typed", false, "hello", false, true, "Undo Paste SelectAll" },
        { "read-only selection", true, "hello", true, false, "Copy SelectAll" },
        { "read-only, no selection", true, "hello", false, false, "SelectAll" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        line->setReadOnly(false);
        line->setText(c.text);
        if (c.typed)
            line->insert("!");
        line->setReadOnly(c.readOnly);
        if (c.selectAll)
            line->selectAll();
        else
            line->deselect();
        EXPECT_EQ(EnabledEditItems(), c.enabled);
    }

    line->setText("hello");
    line->selectAll();
    window->SetFocus();
    EXPECT_EQ(EnabledEditItems(), "");
}

TEST_F(EditItems, ChosenEditItemsActOnTheFocusedField)
{
    struct Case {
        const char* item;
        const char* text;
        bool readOnly;
        const char* clipboardBefore;
        const char* textAfter;
        const char* clipboardAfter;
    };
    const Case cases[] = {
        { "EditCut", "hello", false, "", "", "hello" },
        { "EditCopy", "hello", false, "", "hello", "hello" },
        { "EditPaste", "hello", false, "bye", "bye", "bye" },
        { "EditClear", "hello", false, "keep", "", "keep" },
        { "EditCut", "hello", true, "keep", "hello", "keep" },   // read-only: refused
        { "EditPaste", "hello", true, "bye", "hello", "bye" },
    };
    QClipboard* clipboard = QApplication::clipboard();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.item << " read-only " << c.readOnly);
        clipboard->setText(c.clipboardBefore);
        line->setReadOnly(c.readOnly);
        line->setText(c.text);
        line->selectAll();
        MenuItem& item = *bar->Lookup(c.item);
        EXPECT_EQ(DispatchMenuChoice(*window, item), !c.readOnly);
        EXPECT_EQ(line->text().toStdString(), c.textAfter);
        EXPECT_EQ(clipboard->text().toStdString(), c.clipboardAfter);
    }

    // Through the actions, as the user chooses them.
    line->setReadOnly(false);
    line->setText("hello");
    line->deselect();
    window->EnableMenuItems();
    Action("EditSelectAll")->trigger();
    EXPECT_EQ(line->selectedText(), "hello");
    line->insert("x");
    window->EnableMenuItems();
    Action("EditUndo")->trigger();
    EXPECT_EQ(line->text(), "hello");
}

} // namespace
