// The program's real entry function, offscreen, with a scripted user.
#include "App.h"
#include "MainMenuBar.h"
#include "QuizFixtures.h"
#include "ScriptedInteraction.h"
#include "Startup.h"
#include "VeltoWindow.h"

#include "QtAccess.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

int OpenMainWindows()
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += qobject_cast<QMainWindow*>(w) && w->isVisible();
    return count;
}

QPushButton* Button(VeltoWindow& window, const char* name)
{
    return qobject_cast<QPushButton*>(QtWidget(*window.ControlByName(name)));
}

class StartupTest : public testing::Test {
protected:
    void TearDown() override
    {
        Startup::SetEarlyStartupFault(nullptr);
        fs::remove(file);
    }

    // Runs the program; the session runs inside its event loop.
    int RunProgram(std::function<void(VeltoWindow&)> session)
    {
        QTimer::singleShot(0, [this, session] {
            Ref<Window> shown = Window::GetImplicitWindow(VeltoWindow::kClassName);
            ASSERT_FALSE(shown.IsNil());
            Ref<VeltoWindow> window = CastTo<VeltoWindow>(shown);
            windowsShown = OpenMainWindows();
            sameBar = App::Shared()->MenuBar() == window->MenuBar() && window->MenuBar() == MainMenuBar::Shared();
            session(*window);
        });
        return Startup::EntryFunction();
    }

    fs::path file = fs::temp_directory_path() / ("velto-startup-" + std::to_string(::getpid()) + ".txt");
    ScopedInteraction interaction;
    int windowsShown = 0;
    bool sameBar = false;
};

TEST_F(StartupTest, AWholeSessionThenFileQuitEndsWithZero)
{
    std::ofstream(file) << "one,eins\ntwo,zwei\nthree,drei\nfour,vier\nfive,fünf\n";
    interaction->AnswerFile(file.string());
    bool randomFromStartup = false;
    std::vector<std::string> verdicts, counters;

    int status = RunProgram([&](VeltoWindow& window) {
        randomFromStartup = !App::Shared()->rand.IsNil();
        // Scripted draws, so that each answer button is the right one in turn.
        Ref<ScriptedRandom> rand = New<ScriptedRandom>();
        App::Shared()->rand = rand;
        rand->Script({ 0, 1, 2, 1 });
        Button(window, "pushOpenFile")->click();

        // A wrong answer, then one right answer on each button: five lines end
        // at two. A fixed list of clicks, so a quiz that never ends fails here.
        const struct {
            const char* button;
            Int32 rightAfter;   // the right button of the word the click brings; 0: none comes
        } clicks[] = { { "PushButton2", 1 }, { "PushButton1", 2 }, { "PushButton2", 3 }, { "PushButton3", 0 } };
        for (const auto& click : clicks) {
            if (click.rightAfter != 0)
                rand->Script({ 0, 1, 2, click.rightAfter });
            Button(window, "pushKnow")->click();
            Button(window, click.button)->click();
            verdicts.push_back(qobject_cast<QLabel*>(QtWidget(*window.ControlByName("lblResult")))->text().toStdString());
            counters.push_back(qobject_cast<QLabel*>(QtWidget(*window.ControlByName("lblNumber")))->text().toStdString());
        }
        QtAction(window, *window.FileQuit())->trigger();
    });

    EXPECT_EQ(status, 0);
    EXPECT_EQ(windowsShown, 1);
    EXPECT_TRUE(sameBar);
    EXPECT_TRUE(randomFromStartup);
    EXPECT_EQ(verdicts, (std::vector<std::string> { "Last word was WRONG!", "Last word was correct!",
                                                    "Last word was correct!", "Last word was correct!" }));
    EXPECT_EQ(counters, (std::vector<std::string> { "5/5", "4/5", "3/5", "3/5" }));
    ASSERT_EQ(interaction->Messages().size(), 2u);
    EXPECT_EQ(interaction->Messages()[0], "You are so wrong!");
    EXPECT_EQ(interaction->Messages()[1].rfind("Your remaining words are", 0), 0u);
    EXPECT_TRUE(interaction->Errors().empty());
    EXPECT_EQ(OpenMainWindows(), 0);
    EXPECT_FALSE(MainMenuBar::HasShared());
}

TEST_F(StartupTest, ClosingTheWindowEndsWithZero)
{
    int status = RunProgram([](VeltoWindow& window) { QtWindow(window)->close(); });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(windowsShown, 1);
    EXPECT_EQ(OpenMainWindows(), 0);
}

TEST_F(StartupTest, TheProgramsNameTitlesItsMessageBoxesAsItsWindow)
{
    std::string name, windowTitle;
    RunProgram([&](VeltoWindow& window) {
        name = QGuiApplication::applicationDisplayName().toStdString();
        windowTitle = QtWindow(window)->windowTitle().toStdString();
        QtWindow(window)->close();
    });
    EXPECT_EQ(name, "Velto Vocabulary");
    EXPECT_EQ(windowTitle, name);
}

TEST_F(StartupTest, AFailureInEarlyStartupIsReportedAndEndsWithoutAWindow)
{
    int faults = 0;
    Startup::SetEarlyStartupFault([&] {
        ++faults;
        Raise<UnsupportedOperationException>("staged start-up failure");
    });
    int status = Startup::EntryFunction();

    EXPECT_NE(status, 0);
    EXPECT_EQ(faults, 1);
    ASSERT_EQ(interaction->Errors().size(), 1u);
    EXPECT_NE(interaction->Errors()[0].text.find("UnsupportedOperationException"), std::string::npos);
    EXPECT_NE(interaction->Errors()[0].text.find("staged start-up failure"), std::string::npos);
    EXPECT_TRUE(Window::GetImplicitWindow(VeltoWindow::kClassName).IsNil());
    EXPECT_EQ(OpenMainWindows(), 0);
    EXPECT_FALSE(MainMenuBar::HasShared());
    EXPECT_TRUE(App::Shared().IsNil());
}

} // namespace
