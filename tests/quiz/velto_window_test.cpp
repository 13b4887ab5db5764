// The main window through its real Qt widgets, with scripted dialogs.
#include "MainMenuBar.h"
#include "QuizFixtures.h"
#include "ScriptedInteraction.h"
#include "VeltoWindow.h"
#include "VeltoWindowSettings.h"

#include "QtAccess.h"
#include "Runtime.h"
#include "Settings.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <fstream>
#include <functional>
#include <utility>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

template <class W>
W* Widget(const Ref<RectControl>& control)
{
    auto* widget = qobject_cast<W*>(QtWidget(*control));
    EXPECT_NE(widget, nullptr);
    return widget;
}

class VeltoWindowTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        RuntimeInit();
        InstallRegExModule();
    }

    void SetUp() override
    {
        fs::create_directories(dir);
        window = VeltoWindow::Shared();
    }

    void TearDown() override
    {
        if (window->IsOpen())
            window->Close();
        window.Release();
        MainMenuBar::ReleaseShared();
        fs::remove_all(dir);
    }

    std::string WriteFile(const std::string& name, const std::string& text)
    {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    }

    QPushButton* Button(const char* name) { return Widget<QPushButton>(window->ControlByName(name)); }
    bool Shown(const char* name) { return !QtWidget(*window->ControlByName(name))->isHidden(); }
    QAction* Action(const char* item) { return QtAction(*window, *window->MenuBar()->Lookup(item)); }

    void Open(const std::string& text)
    {
        interaction->AnswerFile(WriteFile("words.txt", text));
        Button("pushOpenFile")->click();
    }

    // The number of the button that carries the right answer.
    int RightButton() { return window->Quiz().iCorrectButton; }
    const char* AnswerName(int n) { return n == 1 ? "PushButton1" : n == 2 ? "PushButton2" : "PushButton3"; }

    // Makes the window the active one, so that Qt's keyboard focus is the
    // focus a user's keys go to.
    void Activate()
    {
        QMainWindow* main = QtWindow(*window);
        main->show();
        main->activateWindow();
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::activeWindow(), main);
    }

    // A user's click: the press gives the button the focus (Qt does that
    // only for events from the platform, so it is done here), then the click.
    void UserClick(const char* name)
    {
        QPushButton* button = Button(name);
        button->setFocus(Qt::MouseFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), button) << name << " took no focus";
        button->click();
    }

    // The name of the control that holds the keyboard focus, "" when the
    // window holds it itself.
    std::string FocusedControl()
    {
        QWidget* focused = QApplication::focusWidget();
        if (!focused || focused->window() != QtWindow(*window))
            return "(nothing in the window)";
        for (const char* name : kControlNames)
            if (focused == QtWidget(*window->ControlByName(name)))
                return name;
        return "";
    }

    static constexpr const char* kControlNames[] = { "textRandomWord", "PushButton1", "PushButton2", "PushButton3",
                                                     "lblResult",      "pushOpenFile", "pushKnow",   "lblNumber" };

    fs::path dir = fs::temp_directory_path() / ("velto-window-" + std::to_string(::getpid()));
    ScriptedApp app;
    ScopedInteraction interaction;
    Ref<VeltoWindow> window;
};

TEST_F(VeltoWindowTest, AFreshWindowShowsOnlyTheFieldTheOpenButtonAndTwoLabels)
{
    QMainWindow* main = QtWindow(*window);
    EXPECT_EQ(main->windowTitle(), "Velto Vocabulary");
    EXPECT_EQ(main->centralWidget()->size(), QSize(400, 464));
    EXPECT_FALSE(main->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(main->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(main->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(main->minimumSize(), main->maximumSize());

    const struct {
        const char* name;
        QRect geometry;
        bool visible;
        const char* caption;
    } controls[] = {
        { "textRandomWord", { 49, 14, 303, 22 }, true, "" },
        { "PushButton1", { 95, 96, 210, 61 }, false, "" },
        { "PushButton2", { 95, 169, 210, 61 }, false, "" },
        { "PushButton3", { 95, 242, 210, 61 }, false, "" },
        { "lblResult", { 115, 415, 170, 20 }, true, "" },
        { "pushOpenFile", { 95, 336, 210, 57 }, true, "Open Vocabulary File" },
        { "pushKnow", { 95, 48, 210, 61 }, false, "I know! I know!" },
        { "lblNumber", { 20, 424, 60, 20 }, true, "" },
    };
    Int32 tabIndex = 0;
    for (const auto& c : controls) {
        SCOPED_TRACE(c.name);
        Ref<RectControl> control = window->ControlByName(c.name);
        QWidget* widget = QtWidget(*control);
        EXPECT_EQ(widget->objectName(), c.name);
        EXPECT_EQ(widget->geometry(), c.geometry);
        EXPECT_EQ(!widget->isHidden(), c.visible);
        EXPECT_TRUE(widget->isEnabled());
        EXPECT_EQ(control->TabIndex(), tabIndex++);
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text(), c.caption);
        }
    }
    auto* field = Widget<QLineEdit>(window->ControlByName("textRandomWord"));
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_EQ(field->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_TRUE(Widget<QLabel>(window->ControlByName("lblResult"))->text().isEmpty());

    // The accessors give the controls under their names, of their classes.
    EXPECT_EQ(window->textRandomWord(), window->ControlByName("textRandomWord"));
    EXPECT_EQ(window->lblNumber(), window->ControlByName("lblNumber"));
    EXPECT_EQ(window->pushKnow(), window->ControlByName("pushKnow"));
    EXPECT_THROW(window->ControlAs<Label>("pushKnow"), IllegalCastException);
}

TEST_F(VeltoWindowTest, TheAccessorKeepsOneWindowWithTheSharedMenuBar)
{
    EXPECT_EQ(VeltoWindow::Shared(), window);
    EXPECT_EQ(window->MenuBar(), MainMenuBar::Shared());
    EXPECT_EQ(Window::GetImplicitWindow(VeltoWindow::kClassName), window);
    EXPECT_EQ(window->Quiz().aVocabularyList.Count(), 0);
    EXPECT_FALSE(window->Quiz().tfLeftWordIsQuestion);
    EXPECT_FALSE(window->menuUseLeftWordAsQuestion()->Checked());
    EXPECT_EQ(window->FileQuit(), MainMenuBar::Shared()->Lookup("FileQuit"));
}

TEST_F(VeltoWindowTest, OpenClearsTheOptionsCheckMarkAfterLayoutInstalledTheBar)
{
    window->Close();
    window.Release();
    MainMenuBar::Shared()->Lookup("menuUseLeftWordAsQuestion")->Checked(true);
    window = VeltoWindow::Shared();
    EXPECT_FALSE(window->menuUseLeftWordAsQuestion()->Checked());
}

std::map<std::string, SettingValue> Decode(const String& batch, const ClassRecord& cls)
{
    std::map<std::string, SettingValue> values;
    for (auto& [key, value] : DecodeSettingsBatch(batch.View(), [&](const std::string& k) {
             const PropertyEntry* entry = cls.FindProperty(k);
             if (!entry)
                 ADD_FAILURE() << cls.name << " has no key " << k;
             return entry ? entry->type : SettingType::Int32;
         }))
        values.emplace(key, value);
    return values;
}

TEST_F(VeltoWindowTest, SettingsBatchesHaveTheirLengthsAndValues)
{
    const struct {
        String batch;
        const ClassRecord& cls;
        std::size_t bytes;
        std::size_t entries;
    } batches[] = {
        { VeltoWindowSettings(), VeltoWindow::Class(), 283, 21 },
        { TextRandomWordSettings(), TextField::Class(), 449, 37 },
        { PushButtonSettings(1), PushButton::Class(), 303, 26 },
        { PushButtonSettings(2), PushButton::Class(), 303, 26 },
        { PushButtonSettings(3), PushButton::Class(), 303, 26 },
        { LblResultSettings(), Label::Class(), 348, 29 },
        { LblNumberSettings(), Label::Class(), 348, 29 },
        { PushOpenFileSettings(), PushButton::Class(), 324, 26 },
        { PushKnowSettings(), PushButton::Class(), 315, 26 },
    };
    for (const auto& b : batches) {
        EXPECT_EQ(b.batch.ByteCount(), b.bytes);
        EXPECT_EQ(Decode(b.batch, b.cls).size(), b.entries);
    }
    const char title[] = "Title \x00\x00\x00\x10Velto Vocabulary";
    EXPECT_NE(VeltoWindowSettings().View().find(std::string_view(title, sizeof title - 1)), std::string_view::npos);

    auto window = Decode(VeltoWindowSettings(), VeltoWindow::Class());
    const std::pair<const char*, Int32> ints[] = { { "Placement", 2 }, { "Width", 400 }, { "Height", 464 },
                                                   { "MinWidth", 400 }, { "MinHeight", 300 }, { "MaxWidth", 32000 },
                                                   { "MaxHeight", 32000 }, { "Frame", 0 }, { "MacProcID", 0 } };
    for (const auto& [key, value] : ints)
        EXPECT_EQ(window.at(key).AsInt32(), value) << key;
    const std::pair<const char*, bool> flags[] = { { "Composite", false }, { "HasBackColor", false },
                                                   { "Visible", true }, { "FullScreen", false },
                                                   { "MenuBarVisible", true }, { "CloseButton", true },
                                                   { "Resizeable", false }, { "LiveResize", true },
                                                   { "MaximizeButton", false }, { "MinimizeButton", true } };
    for (const auto& [key, value] : flags)
        EXPECT_EQ(window.at(key).AsBoolean(), value) << key;
    EXPECT_EQ(window.at("BackColor").AsColour(), (Colour { 0xFF, 0xFF, 0xFF }));

    // What differs between the controls (geometry and visibility are checked
    // on the widgets).
    const struct {
        String batch;
        const ClassRecord& cls;
        bool lockTop, lockRight, lockBottom;
        const char* styleKey;
        Int32 style;
    } controls[] = {
        { TextRandomWordSettings(), TextField::Class(), true, true, false, "Alignment", 2 },
        { PushButtonSettings(1), PushButton::Class(), true, true, false, "ButtonStyle", 6 },
        { LblResultSettings(), Label::Class(), true, true, false, "TextAlign", 1 },
        { PushOpenFileSettings(), PushButton::Class(), false, true, true, "ButtonStyle", 4 },
        { PushKnowSettings(), PushButton::Class(), true, true, false, "ButtonStyle", 6 },
        { LblNumberSettings(), Label::Class(), false, false, true, "TextAlign", 0 },
    };
    for (const auto& c : controls) {
        auto values = Decode(c.batch, c.cls);
        SCOPED_TRACE(values.at("Name").AsString().ToStdString());
        EXPECT_EQ(values.at("Index").AsInt32(), INT32_MIN);
        EXPECT_TRUE(values.at("LockLeft").AsBoolean());
        EXPECT_EQ(values.at("LockTop").AsBoolean(), c.lockTop);
        EXPECT_EQ(values.at("LockRight").AsBoolean(), c.lockRight);
        EXPECT_EQ(values.at("LockBottom").AsBoolean(), c.lockBottom);
        EXPECT_EQ(values.at(c.styleKey).AsInt32(), c.style);
        EXPECT_TRUE(values.at("Enabled").AsBoolean());
        EXPECT_EQ(values.at("TextFont").AsString(), "System");
        EXPECT_EQ(values.count("TextSize"), 0u);
    }
}

TEST_F(VeltoWindowTest, ClassRecordListsWindowsSlotsThenItsOwnAndHidesTheControlBuilder)
{
    const ClassRecord& record = VeltoWindow::Class();
    const auto& ops = record.virtualOperations;
    ASSERT_EQ(ops.size(), 50u + 35u);
    EXPECT_EQ(ops[0].name, "AcceptFileDrop");
    EXPECT_EQ(ops[49].name, "__New");
    EXPECT_EQ(ops[50].name, "Layout");
    EXPECT_EQ(ops[52].name, "_CreateControls0");
    EXPECT_EQ(ops[53].name, "textRandomWord");
    EXPECT_EQ(ops[66].name, "Options");
    EXPECT_EQ(ops[79].name, "menuOpen");
    EXPECT_EQ(ops[84].name, "_menuUseLeftWordAsQuestion_Action");

    const auto methods = ListMethods(record);
    EXPECT_EQ(std::count(methods.begin(), methods.end(), "_CreateControls0"), 0);
    EXPECT_EQ(std::count(methods.begin(), methods.end(), "CreateControls"), 1);
    EXPECT_EQ(std::count(methods.begin(), methods.end(), "PickAWord"), 1);
    EXPECT_EQ(ListProperties(record),
              (std::vector<std::string> { "aVocabularyList", "iCorrectButton", "iLastWordChosen", "lines",
                                          "sAnotherWord", "sCurrentWordToAsk", "sTranslationOfCurrentWordToAsk",
                                          "sYetAnotherWord", "tfLeftWordIsQuestion" }));
    for (const char* event : { "AddMenuHandlers", "CancelClose", "CreateControls", "Layout", "Open" })
        EXPECT_NE(record.FindEvent(event), nullptr) << event;
    EXPECT_EQ(record.events.size(), 5u);
}

TEST_F(VeltoWindowTest, AWholeQuizPlaysThroughTheButtons)
{
    Open("# numbers\none,eins\ntwo,zwei\nthree,drei\nfour,vier\n");
    auto* field = Widget<QLineEdit>(window->ControlByName("textRandomWord"));
    auto* counter = Widget<QLabel>(window->ControlByName("lblNumber"));
    auto* result = Widget<QLabel>(window->ControlByName("lblResult"));
    EXPECT_EQ(counter->text(), "4/4");
    EXPECT_TRUE(Shown("pushKnow"));
    EXPECT_FALSE(Shown("PushButton1"));
    EXPECT_FALSE(field->text().isEmpty());

    auto checkNeverBoth = [&] { EXPECT_FALSE(Shown("pushKnow") && Shown("PushButton1")); };

    Button("pushKnow")->click();
    checkNeverBoth();
    EXPECT_TRUE(Shown("PushButton1") && Shown("PushButton2") && Shown("PushButton3"));
    EXPECT_FALSE(Shown("pushKnow"));
    EXPECT_EQ(Button(AnswerName(RightButton()))->text().toStdString(),
              window->Quiz().sTranslationOfCurrentWordToAsk.ToStdString());

    Button(AnswerName(RightButton() % 3 + 1))->click();
    checkNeverBoth();
    EXPECT_EQ(result->text(), "Last word was WRONG!");
    EXPECT_EQ(interaction->Messages().back(), "You are so wrong!");
    EXPECT_EQ(counter->text(), "4/4");

    // Two right answers: the counter goes to 3/4, then the quiz ends on it.
    for (int answer = 0; answer < 2; ++answer) {
        Button("pushKnow")->click();
        checkNeverBoth();
        Button(AnswerName(RightButton()))->click();
        checkNeverBoth();
        EXPECT_EQ(result->text(), "Last word was correct!");
        EXPECT_EQ(counter->text(), "3/4");
    }
    EXPECT_FALSE(Shown("pushKnow") || Shown("PushButton1") || Shown("PushButton2") || Shown("PushButton3"));
    EXPECT_TRUE(Shown("pushOpenFile"));
    EXPECT_EQ(interaction->Messages().back().rfind("Your remaining words are", 0), 0u);
}

TEST_F(VeltoWindowTest, TheMenuOpensFilesLikeTheButtonAndCancelChangesNothing)
{
    ASSERT_NE(Action("menuOpen"), nullptr);
    EXPECT_TRUE(Action("menuOpen")->isEnabled());
    EXPECT_TRUE(Action("menuUseLeftWordAsQuestion")->isEnabled());

    interaction->AnswerCancel();
    EXPECT_TRUE(window->menuOpen_Action());
    EXPECT_EQ(window->Quiz().lines, 0);

    interaction->AnswerFile(WriteFile("menu.txt", "a,1\nb,2\nc,3\n"));
    Action("menuOpen")->trigger();
    EXPECT_EQ(window->Quiz().lines, 3);
    EXPECT_EQ(Widget<QLabel>(window->ControlByName("lblNumber"))->text(), "3/3");
    EXPECT_EQ(interaction->FileRequests().back().owner, window.Raw());
}

TEST_F(VeltoWindowTest, TheOptionFlipsTheSideFromTheNextWordOn)
{
    Open("l0,r0\nl1,r1\nl2,r2\nl3,r3\n");
    auto* field = Widget<QLineEdit>(window->ControlByName("textRandomWord"));
    const QString asked = field->text();
    const QString caption = Button("PushButton1")->text();
    ASSERT_EQ(asked[0], 'r');

    Action("menuUseLeftWordAsQuestion")->trigger();
    EXPECT_TRUE(window->menuUseLeftWordAsQuestion()->Checked());
    EXPECT_TRUE(Action("menuUseLeftWordAsQuestion")->isChecked());
    EXPECT_TRUE(window->Quiz().tfLeftWordIsQuestion);
    EXPECT_EQ(field->text(), asked);
    EXPECT_EQ(Button("PushButton1")->text(), caption);

    Button("pushKnow")->click();
    Button(AnswerName(RightButton()))->click();
    EXPECT_EQ(field->text()[0], 'l');
    for (const char* b : { "PushButton1", "PushButton2", "PushButton3" })
        EXPECT_EQ(Button(b)->text()[0], 'r');

    Action("menuUseLeftWordAsQuestion")->trigger();
    EXPECT_FALSE(window->menuUseLeftWordAsQuestion()->Checked());
    EXPECT_FALSE(window->Quiz().tfLeftWordIsQuestion);
}

TEST_F(VeltoWindowTest, AFileLoadedWithTheOptionOnAsksALeftWordFirst)
{
    Action("menuUseLeftWordAsQuestion")->trigger();
    app.Rand().Script({ 2, 0, 1, 3 });
    Open("l0,r0\nl1,r1\nl2,r2\n");

    EXPECT_EQ(Widget<QLineEdit>(window->ControlByName("textRandomWord"))->text().toStdString(), "l2");
    EXPECT_EQ(Button("PushButton1")->text().toStdString(), "r0");
    EXPECT_EQ(Button("PushButton2")->text().toStdString(), "r1");
    EXPECT_EQ(Button("PushButton3")->text().toStdString(), "r2");
}

TEST_F(VeltoWindowTest, EachAnswerButtonIsJudgedAsItsOwnNumber)
{
    auto* result = Widget<QLabel>(window->ControlByName("lblResult"));
    for (int right = 1; right <= 3; ++right) {
        for (int clicked = 1; clicked <= 3; ++clicked) {
            SCOPED_TRACE(testing::Message() << "right " << right << ", clicked " << clicked);
            app.Rand().Script({ 0, 1, 2, right });
            Open("a,1\nb,2\nc,3\nd,4\n");
            ASSERT_EQ(RightButton(), right);
            Button("pushKnow")->click();
            Button(AnswerName(clicked))->click();
            EXPECT_EQ(result->text().toStdString(), clicked == right ? "Last word was correct!" : "Last word was WRONG!");
        }
    }
}

// Space presses the focused button, so after each of these no control may
// keep the focus that the click gave it.
TEST_F(VeltoWindowTest, NoControlKeepsTheFocusAfterALoadAKnowClickOrAnAnswer)
{
    Activate();
    interaction->AnswerFile(WriteFile("words.txt", "a,1\nb,2\nc,3\nd,4\n"));
    UserClick("pushOpenFile");
    EXPECT_EQ(FocusedControl(), "") << "after the load";

    UserClick("pushKnow");
    EXPECT_EQ(FocusedControl(), "") << "after I know! I know!";

    UserClick(AnswerName(RightButton()));
    EXPECT_EQ(FocusedControl(), "") << "after the answer";
    EXPECT_EQ(Widget<QLabel>(window->ControlByName("lblResult"))->text().toStdString(), "Last word was correct!");
}

TEST_F(VeltoWindowTest, TabFromTheFieldVisitsTheShownButtonsInTabIndexOrder)
{
    Activate();
    auto* field = QtWidget(*window->textRandomWord());

    // The shown buttons by their TabIndex; the field itself has TabIndex 0.
    auto expected = [&] {
        std::vector<std::pair<Int32, std::string>> buttons;
        for (const char* name : kControlNames) {
            Ref<RectControl> control = window->ControlByName(name);
            if (control->ClassInfo().IsA(PushButton::Class()) && control->Visible())
                buttons.emplace_back(control->TabIndex(), name);
        }
        std::sort(buttons.begin(), buttons.end());
        std::vector<std::string> names;
        for (const auto& [index, name] : buttons)
            names.push_back(name);
        return names;
    };
    // What Tab reaches from the field until it is back there; bounded, so a
    // chain that never comes back shows as too long.
    auto tabbed = [&] {
        field->setFocus(Qt::OtherFocusReason);
        std::vector<std::string> names;
        for (std::size_t step = 0; step < std::size(kControlNames); ++step) {
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QApplication::sendEvent(QApplication::focusWidget(), &tab);
            QWidget* now = QApplication::focusWidget();
            if (now == field || !now)
                break;
            names.push_back(now->objectName().toStdString());
        }
        return names;
    };

    const std::pair<const char*, std::function<void()>> views[] = {
        { "fresh window", [] { } },
        { "question", [&] { Open("a,1\nb,2\nc,3\nd,4\n"); } },
        { "answers", [&] { Button("pushKnow")->click(); } },
    };
    std::vector<std::size_t> lengths;
    for (const auto& [view, enter] : views) {
        SCOPED_TRACE(view);
        enter();
        EXPECT_EQ(tabbed(), expected());
        lengths.push_back(expected().size());
    }
    EXPECT_EQ(lengths, (std::vector<std::size_t> { 1, 2, 4 }));
}

TEST_F(VeltoWindowTest, AFileThatCannotBeOpenedIsReportedAndTheQuizGoesOn)
{
    Open("a,1\nb,2\nc,3\nd,4\n");
    const auto asked = Widget<QLineEdit>(window->ControlByName("textRandomWord"))->text();

    interaction->AnswerFile((dir / "missing.txt").string());
    Action("menuOpen")->trigger();

    ASSERT_EQ(interaction->Errors().size(), 1u);
    EXPECT_NE(interaction->Errors()[0].text.find("IOException"), std::string::npos);
    EXPECT_NE(interaction->Errors()[0].text.find("missing.txt"), std::string::npos);
    EXPECT_EQ(window->Quiz().lines, 4);
    EXPECT_EQ(Widget<QLineEdit>(window->ControlByName("textRandomWord"))->text(), asked);
    Button("pushKnow")->click();
    Button(AnswerName(RightButton()))->click();
    EXPECT_EQ(Widget<QLabel>(window->ControlByName("lblNumber"))->text(), "3/4");
}

TEST_F(VeltoWindowTest, ClosingTheWindowQuitsWithZero)
{
    QtWindow(*window)->close();
    EXPECT_TRUE(IsQuitting());
    EXPECT_FALSE(window->IsOpen());
    EXPECT_TRUE(Window::GetImplicitWindow(VeltoWindow::kClassName).IsNil());
    EXPECT_EQ(RuntimeExit(), 0);
    RuntimeInit();
}

} // namespace
