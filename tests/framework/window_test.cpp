// Windows and their controls on real Qt widgets: creation events, settings
// batches, controls by name, clicks, focus and the road through CancelClose.
#include "Exceptions.h"
#include "MenuItem.h"
#include "QtAccess.h"
#include "RectControl.h"
#include "Runtime.h"
#include "ScriptedInteraction.h"
#include "Settings.h"
#include "Window.h"
#include "WindowList.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QKeySequence>
#include <QScreen>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A window of the system's kind: its own record and event table, with
// handlers that log and do what the test asks.
class TestWindow : public Window {
public:
    static constexpr const char* kClassName = "WindowTestWindow";
    static const ClassRecord& Class()
    {
        auto logged = [](const char* event) {
            return [event](Object& self, EventArgs& args) {
                auto& w = static_cast<TestWindow&>(self);
                w.log.push_back(event);
                w.senders.push_back(args.sender);
                w.shownDuringCreation = w.shownDuringCreation || QtWindow(w)->isVisible();
                if (w.onEvent)
                    w.onEvent(event, w);
                return false;
            };
        };
        static const ClassRecord& record = ClassRegistry::Register(
            ClassRecordBuilder(kClassName, &Window::Class())
                .Override("Constructor")
                .Event("Layout", logged("Layout"))
                .Event("CreateControls", logged("CreateControls"))
                .Event("AddMenuHandlers", logged("AddMenuHandlers"))
                .Event("Open", logged("Open"))
                .Event("CancelClose",
                       [](Object& self, EventArgs& args) {
                           auto& w = static_cast<TestWindow&>(self);
                           w.cancelCloseFlags.push_back(args.flag);
                           return w.cancelClose ? w.cancelClose(w) : false;
                       })
                .Build());
        return record;
    }
    const ClassRecord& ClassInfo() const override { return Class(); }

    std::vector<std::string> log;
    std::vector<Object*> senders;
    bool shownDuringCreation = false;
    std::function<void(const std::string& event, TestWindow&)> onEvent;
    std::vector<bool> cancelCloseFlags;
    std::function<bool(TestWindow&)> cancelClose;
};

SettingsBatch WindowSettings(const char* title, Int32 width, Int32 height, bool resizeable)
{
    SettingsBatch batch;
    batch.Int32Entry("Placement", 2)
        .Int32Entry("Width", width)
        .Int32Entry("Height", height)
        .Int32Entry("MinWidth", 64)
        .Int32Entry("MinHeight", 64)
        .Int32Entry("MaxWidth", 32000)
        .Int32Entry("MaxHeight", 32000)
        .Int32Entry("Frame", 0)
        .BooleanEntry("Composite", false)
        .BooleanEntry("HasBackColor", false)
        .ColourEntry("BackColor", { 0xFF, 0xFF, 0xFF })
        .StringEntry("Title", title)
        .BooleanEntry("Visible", true)
        .BooleanEntry("FullScreen", false)
        .BooleanEntry("MenuBarVisible", true)
        .BooleanEntry("CloseButton", true)
        .BooleanEntry("Resizeable", resizeable)
        .BooleanEntry("LiveResize", true)
        .BooleanEntry("MaximizeButton", resizeable)
        .BooleanEntry("MinimizeButton", true)
        .Int32Entry("MacProcID", 0);
    return batch;
}

SettingsBatch Placed(const char* name, Int32 left, Int32 top, Int32 width, Int32 height, Int32 tabIndex)
{
    SettingsBatch batch;
    batch.StringEntry("Name", name)
        .Int32Entry("Index", INT32_MIN)
        .Int32Entry("Left", left)
        .Int32Entry("Top", top)
        .Int32Entry("Width", width)
        .Int32Entry("Height", height)
        .BooleanEntry("LockLeft", true)
        .BooleanEntry("LockTop", true)
        .BooleanEntry("LockRight", false)
        .BooleanEntry("LockBottom", false)
        .Int32Entry("TabPanelIndex", 0)
        .Int32Entry("TabIndex", tabIndex);
    return batch;
}

template <class C>
Ref<C> AddControl(Window& window, const char* name, const SettingsBatch& batch)
{
    Ref<C> control = window.NewControl<C>();
    control->Constructor();
    window.AddControl(name, control);
    SetProperties(*control, batch.Build());
    return control;
}

class WindowTest : public testing::Test {
protected:
    void SetUp() override { RuntimeInit(); }
    void TearDown() override
    {
        DropAllWindows();
        FlushDeletes();
    }

    // A shown window; controls are made by the test's CreateControls.
    Ref<TestWindow> Open(std::function<void(TestWindow&)> createControls = {}, bool resizeable = false)
    {
        Ref<TestWindow> window = New<TestWindow>();
        window->onEvent = [=](const std::string& event, TestWindow& w) {
            if (event == "Layout")
                SetProperties(w, WindowSettings("Test", 400, 300, resizeable).Build());
            if (event == "CreateControls" && createControls)
                createControls(w);
        };
        window->Constructor();
        return window;
    }

    ScopedInteraction interaction;
};

// ---- Creation ---------------------------------------------------------

TEST_F(WindowTest, CreationRaisesItsFourEventsOnceInOrderAndShowsOnlyAfterThem)
{
    Ref<TestWindow> window = Open();
    EXPECT_EQ(window->log, (std::vector<std::string> { "Layout", "CreateControls", "AddMenuHandlers", "Open" }));
    EXPECT_EQ(window->senders, (std::vector<Object*>(4, window.Raw())));
    EXPECT_FALSE(window->shownDuringCreation);
    EXPECT_TRUE(QtWindow(*window)->isVisible());
    EXPECT_TRUE(window->IsOpen());
    EXPECT_EQ(Window::GetImplicitWindow(TestWindow::kClassName), window);
    EXPECT_TRUE(Window::GetImplicitWindow("Window").IsNil());

    ExpectRaise<UnsupportedOperationException>([&] { window->Constructor(); },
                                               "Window WindowTestWindow was already constructed");
    EXPECT_EQ(window->log.size(), 4u);
}

TEST_F(WindowTest, AFailingCreationHandlerPassesOutAndKeepsNoWindow)
{
    Ref<TestWindow> window = New<TestWindow>();
    window->onEvent = [](const std::string& event, TestWindow&) {
        if (event == "CreateControls")
            Raise<OutOfBoundsException>("no room");
    };
    ExpectRaise<OutOfBoundsException>([&] { window->Constructor(); }, "no room");
    EXPECT_EQ(window->log, (std::vector<std::string> { "Layout", "CreateControls" }));
    EXPECT_FALSE(window->IsOpen());
    EXPECT_FALSE(QtWindow(*window)->isVisible());
    EXPECT_TRUE(Window::GetImplicitWindow(TestWindow::kClassName).IsNil());
    // Raised to the caller, not reported as unhandled.
    EXPECT_TRUE(interaction->Errors().empty());
}

TEST_F(WindowTest, TheBatchSetsTitleContentSizeResizingAndTitleBarButtons)
{
    struct Case {
        bool resizeable;
        bool withMenuBar;
    };
    for (const Case c : { Case { false, false }, Case { false, true }, Case { true, true } }) {
        SCOPED_TRACE(std::string(c.resizeable ? "resizeable" : "fixed") + (c.withMenuBar ? ", menu bar" : ""));
        Ref<TestWindow> window = New<TestWindow>();
        window->onEvent = [&](const std::string& event, TestWindow& w) {
            if (event != "Layout")
                return;
            if (c.withMenuBar) {
                Ref<MenuBar> bar = New<MenuBar>();
                Ref<MenuItem> file = New<MenuItem>();
                file->Name("FileMenu");
                file->Text("&File");
                bar->Append(file);
                w.MenuBar(bar);
            }
            SetProperties(w, WindowSettings("Velto \xE2\x9C\x93", 400, 300, c.resizeable).Build());
        };
        window->Constructor();
        QMainWindow* main = QtWindow(*window);
        ASSERT_TRUE(main->isVisible());

        EXPECT_EQ(main->windowTitle(), QString::fromUtf8("Velto \xE2\x9C\x93"));
        EXPECT_EQ(window->Title(), "Velto \xE2\x9C\x93");
        EXPECT_EQ(main->centralWidget()->size(), QSize(400, 300));
        EXPECT_EQ(window->Width(), 400);
        EXPECT_EQ(window->Height(), 300);
        int barHeight = c.withMenuBar ? main->menuWidget()->height() : 0;
        EXPECT_EQ(c.withMenuBar, barHeight > 0);
        EXPECT_EQ(main->size(), QSize(400, 300 + barHeight));
        EXPECT_EQ(main->minimumSize() == main->maximumSize(), !c.resizeable);

        Qt::WindowFlags flags = main->windowFlags();
        EXPECT_EQ(bool(flags & Qt::WindowMaximizeButtonHint), c.resizeable);
        EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);

        // Placement 2: centred on the screen.
        QRect screen = main->screen()->availableGeometry();
        QPoint offset = main->frameGeometry().center() - screen.center();
        EXPECT_LE(std::abs(offset.x()), 2);
        EXPECT_LE(std::abs(offset.y()), 2);

        window->Close();
    }
}

// ---- Controls ---------------------------------------------------------

TEST_F(WindowTest, ControlsAreFoundByNameAndClassAndNamesAreUnique)
{
    Ref<TestWindow> window = Open([](TestWindow& w) {
        AddControl<TextField>(w, "field", Placed("field", 10, 10, 100, 22, 0));
        AddControl<PushButton>(w, "button", Placed("button", 10, 40, 100, 30, 1));
    });
    EXPECT_EQ(window->ControlAs<TextField>("field")->Name(), "field");
    EXPECT_EQ(QtWidget(*window->ControlByName("button"))->objectName(), "button");

    ExpectRaise<IllegalCastException>([&] { window->ControlAs<PushButton>("field"); },
                                      "An object of class TextField was used as a PushButton");
    ExpectRaise<KeyNotFoundException>([&] { window->ControlByName("Field"); },
                                      "Window WindowTestWindow has no control named \"Field\"");
    Ref<Label> second = window->NewControl<Label>();
    ExpectRaise<UnsupportedOperationException>([&] { window->AddControl("field", second); },
                                               "Window WindowTestWindow already has a control named \"field\"");
    EXPECT_EQ(window->ControlByName("field")->ClassInfo().name, "TextField");

    Ref<TestWindow> other = New<TestWindow>();
    Ref<Label> foreign = other->NewControl<Label>();
    ExpectRaise<UnsupportedOperationException>([&] { window->AddControl("foreign", foreign); },
                                               "Control \"foreign\" belongs to another window than WindowTestWindow");
}

TEST_F(WindowTest, EachControlsBatchShowsOnItsWidget)
{
    Ref<TestWindow> window = Open([](TestWindow& w) {
        SettingsBatch field = Placed("field", 49, 14, 303, 22, 0);
        field.BooleanEntry("TabStop", true)
            .ColourEntry("TextColor", { 0, 0, 0 })
            .ColourEntry("BackColor", { 0xFF, 0xFF, 0xCC })
            .BooleanEntry("Enabled", true)
            .BooleanEntry("Visible", true)
            .StringEntry("HelpTag", "The word to translate")
            .StringEntry("TextFont", "System")
            .BooleanEntry("Bold", true)
            .StringEntry("CueText", "word")
            .StringEntry("Text", "ma\xC3\xB1" "ana")
            .BooleanEntry("ReadOnly", true)
            .Int32Entry("LimitText", 8)
            .Int32Entry("Alignment", 2);
        AddControl<TextField>(w, "field", field);

        SettingsBatch button = Placed("button", 95, 96, 210, 61, 1);
        button.StringEntry("Caption", "&Open").BooleanEntry("Visible", false).BooleanEntry("Enabled", false)
            .Int32Entry("ButtonStyle", 6).BooleanEntry("Italic", true);
        AddControl<PushButton>(w, "button", button);

        SettingsBatch label = Placed("label", 20, 424, 60, 20, 2);
        label.StringEntry("Text", "<b>1</b> of 3").Int32Entry("TextAlign", 1).ColourEntry("TextColor", { 0xFF, 0, 0 })
            .BooleanEntry("Multiline", true).BooleanEntry("Underline", true);
        AddControl<Label>(w, "label", label);
    });

    auto* field = qobject_cast<QLineEdit*>(QtWidget(*window->ControlByName("field")));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->geometry(), QRect(49, 14, 303, 22));
    EXPECT_TRUE(field->isVisible());
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_EQ(field->text(), QString::fromUtf8("ma\xC3\xB1" "ana"));
    EXPECT_EQ(window->ControlAs<TextField>("field")->Text(), "ma\xC3\xB1" "ana");
    EXPECT_EQ(field->placeholderText(), "word");
    EXPECT_EQ(field->toolTip(), "The word to translate");
    EXPECT_EQ(field->maxLength(), 8);
    EXPECT_TRUE(field->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(field->font().bold());
    EXPECT_EQ(field->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0xCC));

    auto* button = qobject_cast<QPushButton*>(QtWidget(*window->ControlByName("button")));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->geometry(), QRect(95, 96, 210, 61));
    // A caption is shown as it stands: "&" is no mnemonic mark there.
    EXPECT_EQ(button->text(), "&&Open");
    EXPECT_TRUE(button->shortcut().isEmpty());
    EXPECT_EQ(window->ControlAs<PushButton>("button")->Caption(), "&Open");
    EXPECT_FALSE(button->isVisible());
    EXPECT_FALSE(button->isEnabled());
    EXPECT_TRUE(button->font().italic());

    auto* label = qobject_cast<QLabel*>(QtWidget(*window->ControlByName("label")));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "<b>1</b> of 3");
    EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(label->wordWrap());
    EXPECT_TRUE(label->font().underline());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0xFF, 0, 0));

    // Later changes show at once.
    Ref<PushButton> pushButton = window->ControlAs<PushButton>("button");
    pushButton->Visible(true);
    pushButton->Caption("Open &File");
    pushButton->Left(5);
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(button->text(), "Open &&File");
    EXPECT_EQ(button->pos(), QPoint(5, 96));
    window->ControlAs<Label>("label")->Text("2 of 3");
    EXPECT_EQ(label->text(), "2 of 3");
    ExpectRaise<OutOfBoundsException>(
        [&] { SetProperties(*window->ControlByName("label"), SettingsBatch().Int32Entry("TextAlign", 3).Build()); },
        "Label TextAlign 3 is none of 0 (left), 1 (centre), 2 (right)");
}

// The index of the first character that the field shows at its left edge;
// painting is what scrolls a QLineEdit to its cursor.
int FirstVisibleCharacter(QLineEdit& field)
{
    field.grab();
    const QRect contents = field.contentsRect();
    return field.cursorPositionAt(QPoint(contents.left() + 3, contents.center().y()));
}

TEST_F(WindowTest, ATextSetByTheProgramShowsFromItsStartInANarrowField)
{
    const std::string longText = "the little grey cat that lay all day in the sun in front of the house";
    const std::string otherText = "der kleine graue Kater, der den ganzen Tag vor dem Haus in der Sonne lag";
    Ref<TestWindow> window = Open([&](TestWindow& w) {
        SettingsBatch field = Placed("field", 49, 14, 120, 22, 0);
        field.StringEntry("Text", longText).BooleanEntry("ReadOnly", true);
        AddControl<TextField>(w, "field", field);
    });
    Ref<TextField> control = window->ControlAs<TextField>("field");
    auto* field = qobject_cast<QLineEdit*>(QtWidget(*control));
    ASSERT_NE(field, nullptr);
    ASSERT_GT(field->fontMetrics().horizontalAdvance(QString::fromStdString(longText)), field->width());

    const struct {
        const char* what;
        std::function<void()> act;
        const std::string& text;
    } cases[] = {
        { "from the window's batch", [] {}, longText },
        { "set after the window is shown", [&] { control->Text(otherText); }, otherText },
        { "set while the cursor stands at the end",
          [&] {
              field->end(false);
              control->Text(longText);
          },
          longText },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        EXPECT_EQ(field->text().toStdString(), c.text);
        EXPECT_EQ(field->cursorPosition(), 0);
        EXPECT_EQ(FirstVisibleCharacter(*field), 0);
    }
}

// Tab selects the whole text; the field still shows its start. Hiding the
// focused button passes the focus on as Tab does.
TEST_F(WindowTest, AFieldThatTakesTheFocusByTabShowsItsStartWithAllOfItSelected)
{
    const std::string longText = "the little grey cat that lay all day in the sun in front of the house";
    Ref<TestWindow> window = Open([&](TestWindow& w) {
        SettingsBatch field = Placed("field", 10, 10, 120, 22, 0);
        field.StringEntry("Text", longText).BooleanEntry("ReadOnly", true);
        AddControl<TextField>(w, "field", field);
        AddControl<PushButton>(w, "button", Placed("button", 10, 40, 120, 30, 1));
    });
    QMainWindow* main = QtWindow(*window);
    QApplication::setActiveWindow(main);
    auto* field = qobject_cast<QLineEdit*>(QtWidget(*window->ControlByName("field")));
    QWidget* button = QtWidget(*window->ControlByName("button"));

    const struct {
        const char* what;
        std::function<void()> passFocus;
    } cases[] = {
        { "Tab on the button", [&] {
              QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
              QApplication::sendEvent(button, &tab);
          } },
        { "the focused button hidden", [&] { window->ControlByName("button")->Visible(false); } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        window->ControlByName("button")->Visible(true);
        button->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(button->hasFocus());
        c.passFocus();
        ASSERT_TRUE(field->hasFocus());
        EXPECT_EQ(field->selectedText().toStdString(), longText);
        EXPECT_EQ(field->cursorPosition(), 0);
        EXPECT_EQ(FirstVisibleCharacter(*field), 0);
    }
}

// The widgets that Tab visits, in order, starting after the content area.
std::vector<QString> TabChain(QMainWindow* main)
{
    std::vector<QString> names;
    QWidget* content = main->centralWidget();
    for (QWidget* w = content->nextInFocusChain(); w != content && names.size() < 20; w = w->nextInFocusChain()) {
        if (w->parentWidget() == content && (w->focusPolicy() & Qt::TabFocus))
            names.push_back(w->objectName());
    }
    return names;
}

TEST_F(WindowTest, TabOrderFollowsTabIndexAndTabStop)
{
    Ref<TestWindow> window = Open([](TestWindow& w) {
        AddControl<PushButton>(w, "c", Placed("c", 0, 0, 50, 20, 2));
        AddControl<Label>(w, "label", Placed("label", 0, 30, 50, 20, 0));
        AddControl<TextField>(w, "a", Placed("a", 0, 60, 50, 20, 0));
        AddControl<PushButton>(w, "b", Placed("b", 0, 90, 50, 20, 1));
    });
    QMainWindow* main = QtWindow(*window);
    EXPECT_EQ(TabChain(main), (std::vector<QString> { "a", "b", "c" }));

    window->ControlByName("a")->TabIndex(5);
    EXPECT_EQ(TabChain(main), (std::vector<QString> { "b", "c", "a" }));

    SetProperties(*window->ControlByName("b"), SettingsBatch().BooleanEntry("TabStop", false).Build());
    EXPECT_EQ(TabChain(main), (std::vector<QString> { "c", "a" }));
}

TEST_F(WindowTest, SetFocusTakesTheFocusOffEveryControl)
{
    Ref<TestWindow> window = Open([](TestWindow& w) { AddControl<TextField>(w, "field", Placed("field", 0, 0, 80, 22, 0)); });
    QMainWindow* main = QtWindow(*window);
    QWidget* field = QtWidget(*window->ControlByName("field"));
    field->setFocus();
    ASSERT_EQ(main->focusWidget(), field);
    window->SetFocus();
    EXPECT_EQ(main->focusWidget(), main->centralWidget());
}

// ---- Buttons ----------------------------------------------------------

TEST_F(WindowTest, AClickRunsTheButtonsHandlerAndAFailureIsReported)
{
    std::vector<std::string> pushed;
    Ref<TestWindow> window = Open([](TestWindow& w) {
        for (const char* name : { "plain", "failing", "unbound", "disabled" })
            AddControl<PushButton>(w, name, Placed(name, 0, 0, 80, 30, 0));
    });
    auto record = [&](PushButton& sender) { pushed.push_back(sender.Name().ToStdString()); };
    window->ControlAs<PushButton>("plain")->AddHandler(record);
    window->ControlAs<PushButton>("disabled")->AddHandler(record);
    window->ControlAs<PushButton>("disabled")->Enabled(false);
    window->ControlAs<PushButton>("failing")->AddHandler([&](PushButton& sender) {
        record(sender);
        Raise<IOException>("The disk is gone");
    });

    for (const char* name : { "plain", "failing", "unbound", "disabled", "plain" })
        qobject_cast<QPushButton*>(QtWidget(*window->ControlByName(name)))->click();

    EXPECT_EQ(pushed, (std::vector<std::string> { "plain", "failing", "plain" }));
    ASSERT_EQ(interaction->Errors().size(), 1u);
    EXPECT_NE(interaction->Errors()[0].text.find("IOException"), std::string::npos);
    EXPECT_NE(interaction->Errors()[0].text.find("The disk is gone"), std::string::npos);
    EXPECT_TRUE(window->IsOpen());
}

TEST_F(WindowTest, ReturnAndEscapeClickTheDefaultAndCancelButtons)
{
    std::vector<std::string> pushed;
    Ref<TestWindow> window = Open([](TestWindow& w) {
        AddControl<TextField>(w, "field", Placed("field", 0, 0, 80, 22, 0));
        AddControl<PushButton>(w, "other", Placed("other", 0, 30, 80, 30, 1));
        AddControl<PushButton>(w, "ok", Placed("ok", 0, 60, 80, 30, 2).BooleanEntry("Default", true));
        AddControl<PushButton>(w, "cancel", Placed("cancel", 0, 90, 80, 30, 3).BooleanEntry("Cancel", true));
    });
    for (const char* name : { "other", "ok", "cancel" })
        window->ControlAs<PushButton>(name)->AddHandler([&](PushButton& b) { pushed.push_back(b.Name().ToStdString()); });

    QWidget* field = QtWidget(*window->ControlByName("field"));
    for (Qt::Key key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_A }) {
        QKeyEvent press(QEvent::KeyPress, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        QCoreApplication::sendEvent(field, &press);
    }
    EXPECT_EQ(pushed, (std::vector<std::string> { "ok", "ok", "cancel" }));

    window->ControlAs<PushButton>("ok")->Enabled(false);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(field, &press);
    EXPECT_EQ(pushed.size(), 3u);
}

// ---- Closing ----------------------------------------------------------

TEST_F(WindowTest, CancelCloseDecidesOnceWhetherTheWindowCloses)
{
    struct Case {
        const char* what;
        std::function<bool(TestWindow&)> answer;
        bool staysOpen;
    };
    const Case cases[] = {
        { "answers true", [](TestWindow&) { return true; }, true },
        { "answers false", [](TestWindow&) { return false; }, false },
        { "quits, then answers false",
          [](TestWindow&) {
              Quit(0);
              return false;
          },
          false },
        { "closes again, then answers false",
          [](TestWindow& w) {
              QtWindow(w)->close();
              w.Close();
              return false;
          },
          false },
        { "fails", [](TestWindow&) -> bool { Raise<UnsupportedOperationException>("cannot decide"); }, false },
    };
    for (const Case& c : cases) {
        for (bool byUser : { true, false }) {
            SCOPED_TRACE(std::string(c.what) + (byUser ? ", closed by the user" : ", closed by Close()"));
            RuntimeInit();
            interaction->ClearRecords();
            Ref<TestWindow> window = Open();
            window->cancelClose = c.answer;
            QPointer<QMainWindow> main = QtWindow(*window);
            if (byUser)
                main->close();
            else
                window->Close();

            EXPECT_EQ(window->cancelCloseFlags, std::vector<bool> { false });
            EXPECT_EQ(window->IsOpen(), c.staysOpen);
            EXPECT_EQ(main->isVisible(), c.staysOpen);
            EXPECT_EQ(Window::GetImplicitWindow(TestWindow::kClassName).IsNil(), !c.staysOpen);
            EXPECT_EQ(interaction->Errors().size(), std::string(c.what) == "fails" ? 1u : 0u);

            std::weak_ptr<Window> gone = window.Shared();
            window.Release();
            FlushDeletes();
            EXPECT_EQ(main.isNull(), !c.staysOpen);
            EXPECT_EQ(gone.expired(), !c.staysOpen);
            DropAllWindows();
        }
    }
}

TEST_F(WindowTest, QuitClosesEveryWindowAsQuittingAndAButtonMayCloseItsOwnWindow)
{
    Ref<TestWindow> first = Open(), second = Open();
    Quit(0);
    for (TestWindow* w : { first.Raw(), second.Raw() }) {
        EXPECT_EQ(w->cancelCloseFlags, std::vector<bool> { true });
        EXPECT_FALSE(w->IsOpen());
    }
    EXPECT_TRUE(OpenWindows().empty());

    // The window's last reference goes inside its own button's click.
    RuntimeInit();
    Ref<TestWindow> window = Open([](TestWindow& w) { AddControl<PushButton>(w, "close", Placed("close", 0, 0, 80, 30, 0)); });
    Window* raw = window.Raw();
    window->ControlAs<PushButton>("close")->AddHandler([raw](PushButton&) { raw->Close(); });
    QPointer<QPushButton> button = qobject_cast<QPushButton*>(QtWidget(*window->ControlByName("close")));
    std::weak_ptr<Window> gone = window.Shared();
    window.Release();
    button->click();
    EXPECT_TRUE(gone.expired());
    FlushDeletes();
    EXPECT_TRUE(button.isNull());
    EXPECT_TRUE(interaction->Errors().empty());
}

} // namespace
