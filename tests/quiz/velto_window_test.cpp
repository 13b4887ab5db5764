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
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

TEST_F(VeltoWindowTest, SettingsBatchesHaveTheirLengthsAndDecodeByTheClassKeys)
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
        { PushButtonSettings(3), PushButton::Class(), 303, 26 },
        { LblResultSettings(), Label::Class(), 348, 29 },
        { LblNumberSettings(), Label::Class(), 348, 29 },
        { PushOpenFileSettings(), PushButton::Class(), 324, 26 },
        { PushKnowSettings(), PushButton::Class(), 315, 26 },
    };
    for (const auto& b : batches) {
        EXPECT_EQ(b.batch.ByteCount(), b.bytes);
        auto decoded = DecodeSettingsBatch(b.batch.View(), [&](const std::string& key) {
            const PropertyEntry* entry = b.cls.FindProperty(key);
            if (!entry)
                ADD_FAILURE() << b.cls.name << " has no key " << key;
            return entry ? entry->type : SettingType::Int32;
        });
        EXPECT_EQ(decoded.size(), b.entries);
    }
    const std::string_view title = "Title \x00\x00\x00\x10Velto Vocabulary";
    EXPECT_NE(VeltoWindowSettings().View().find(std::string_view(title.data(), 6 + 4 + 16)), std::string_view::npos);
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
    window->EnableMenuItems();
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
