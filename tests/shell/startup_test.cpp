// The program's real entry function, offscreen, with a scripted user.
#include "App.h"
#include "MainMenuBar.h"
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
    std::ofstream(file) << "one,eins\ntwo,zwei\nthree,drei\nfour,vier\n";
    interaction->AnswerFile(file.string());
    std::string counterAtEnd;

    int status = RunProgram([&](VeltoWindow& window) {
        Button(window, "pushOpenFile")->click();
        const char* buttons[] = { "PushButton1", "PushButton2", "PushButton3" };
        // A wrong answer, then right ones until the quiz ends.
        Button(window, "pushKnow")->click();
        Button(window, buttons[window.Quiz().iCorrectButton % 3])->click();
        while (window.Quiz().aVocabularyList.Count() > 2) {
            Button(window, "pushKnow")->click();
            Button(window, buttons[window.Quiz().iCorrectButton - 1])->click();
        }
        counterAtEnd = qobject_cast<QLabel*>(QtWidget(*window.ControlByName("lblNumber")))->text().toStdString();
        QtAction(window, *window.FileQuit())->trigger();
    });

    EXPECT_EQ(status, 0);
    EXPECT_EQ(windowsShown, 1);
    EXPECT_TRUE(sameBar);
    EXPECT_EQ(counterAtEnd, "3/4");
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
