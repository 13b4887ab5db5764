// The interaction seam: what MsgBox and the open-file dialog hand to it, how
// an interaction is installed and restored, and the scripted one's checks.
#include "ScriptedInteraction.h"

#include "FolderItem.h"
#include "MsgBox.h"
#include "OpenDialog.h"
#include "Runtime.h"
#include "Window.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct ShownDialog {
    std::string title;
    std::string text;     // a message box's
    std::string folder;   // a file dialog's, as it opened
};

// Runs show with the default interaction, whose real dialog is closed from
// inside its own event loop as soon as it is up, after beforeClosing has
// acted on it; what it showed comes back.
ShownDialog ShowWithTheDefaultInteraction(const std::function<void()>& show,
                                          const std::function<void(QDialog&)>& beforeClosing = {})
{
    std::unique_ptr<Interaction> previous = InstallInteraction(nullptr);
    ShownDialog shown;
    std::function<void(int)> closeWhenUp = [&](int triesLeft) {
        QTimer::singleShot(0, [&, triesLeft] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                if (triesLeft > 0)
                    closeWhenUp(triesLeft - 1);
                return;
            }
            shown.title = dialog->windowTitle().toStdString();
            if (auto* box = qobject_cast<QMessageBox*>(dialog))
                shown.text = box->text().toStdString();
            if (auto* files = qobject_cast<QFileDialog*>(dialog))
                shown.folder = files->directory().absolutePath().toStdString();
            if (beforeClosing)
                beforeClosing(*dialog);
            dialog->reject();
        });
    };
    closeWhenUp(100);
    show();
    InstallInteraction(std::move(previous));
    return shown;
}

TEST(MsgBox, HandsEachTextOnAsGiven)
{
    const std::vector<std::string> texts = {
        "plain", "two\nlines\r\nand a third", "", "<b>not markup</b>", "K\xC3\xA4se \xE2\x82\xAC",
    };
    ScopedInteraction interaction;
    for (const std::string& text : texts)
        MsgBox(String(text));
    EXPECT_EQ(interaction->Messages(), texts);
}

TEST(MsgBox, TheRealBoxIsTitledWithTheApplicationsName)
{
    // The name is Qt's, and the later tests of this executable share it.
    class RestoreDisplayName {
    public:
        ~RestoreDisplayName() { QGuiApplication::setApplicationDisplayName(name_); }

    private:
        const QString name_ = QGuiApplication::applicationDisplayName();
    } restore;

    RuntimeSetApplicationName("K\xC3\xA4se Trainer");
    ShownDialog shown = ShowWithTheDefaultInteraction([] { MsgBox("You are so wrong!"); });
    EXPECT_EQ(shown.title, "K\xC3\xA4se Trainer");
    EXPECT_EQ(shown.text, "You are so wrong!");
}

TEST(OpenDialog, AsksWithItsTitleFolderAndOwnerAndGivesTheAnswer)
{
    Ref<Window> window = New<Window>();
    const struct {
        const char* what;
        Ref<Window> owner;
        const char* folder;   // nullptr: no initial directory
        const char* answer;   // nullptr: the user cancels
    } cases[] = {
        { "chosen within a window", window, "/home/u/Documents", "/home/u/Documents/words.txt" },
        { "cancelled within a window", window, "/home/u/Documents", nullptr },
        { "no owner, no folder", nullptr, nullptr, "/tmp/x y.txt" },
        { "no owner, cancelled", nullptr, "/", nullptr },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScopedInteraction interaction;
        if (c.answer)
            interaction->AnswerFile(c.answer);
        else
            interaction->AnswerCancel();

        Ref<OpenDialog> dialog = New<OpenDialog>();
        dialog->Title("Select a Vocabulary File");
        if (c.folder)
            dialog->InitialDirectory(New<FolderItem>(String(c.folder)));
        Ref<FolderItem> chosen = dialog->ShowModalWithin(c.owner);

        ASSERT_EQ(interaction->FileRequests().size(), 1u);
        const auto& request = interaction->FileRequests()[0];
        EXPECT_EQ(request.title, "Select a Vocabulary File");
        EXPECT_EQ(request.initialDirectory, c.folder ? c.folder : "");
        EXPECT_EQ(request.owner, c.owner.Raw());
        if (c.answer) {
            ASSERT_TRUE(chosen);
            EXPECT_EQ(chosen->NativePath().ToStdString(), c.answer);
        } else {
            EXPECT_TRUE(chosen.IsNil());
        }
        EXPECT_TRUE(interaction->Messages().empty());
    }
}

// The folder Qt's user settings of a format are in now, read from the file a
// settings object would use, since Qt offers no getter.
std::string UserSettingsFolder(QSettings::Format format)
{
    return QFileInfo(QSettings(format, QSettings::UserScope, "QtProject").fileName()).path().toStdString();
}

std::string Entries(const QTemporaryDir& folder)
{
    return QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).join(' ').toStdString();
}

// A caller's own place for Qt's user settings, in force while it lives; then
// what was in force before.
class ScopedUserSettingsPaths {
public:
    ScopedUserSettingsPaths(const QTemporaryDir& native, const QTemporaryDir& ini)
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, native.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ini.path());
    }
    ~ScopedUserSettingsPaths()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(native_));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(ini_));
    }
    ScopedUserSettingsPaths(const ScopedUserSettingsPaths&) = delete;
    ScopedUserSettingsPaths& operator=(const ScopedUserSettingsPaths&) = delete;

private:
    const std::string native_ = UserSettingsFolder(QSettings::NativeFormat);
    const std::string ini_ = UserSettingsFolder(QSettings::IniFormat);
};

// Qt's own dialog would write its recent folders and view into the settings
// that every Qt program shares; the program saves nothing, neither there nor
// in a scratch folder left behind, and leaves Qt's settings where its caller
// put them.
TEST(OpenDialog, TheRealDialogOpensWhereAskedEachTimeAndLeavesQtsSettingsAlone)
{
    QTemporaryDir native, ini, documents, elsewhere;
    ASSERT_TRUE(native.isValid() && ini.isValid() && documents.isValid() && elsewhere.isValid());
    ScopedUserSettingsPaths callersOwn(native, ini);
    OpenFileRequest request { "Select a Vocabulary File", New<FolderItem>(String(documents.path().toStdString())) };

    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        std::string whileOpen;
        ShownDialog shown = ShowWithTheDefaultInteraction(
            [&] { EXPECT_TRUE(CurrentInteraction().ChooseFile(request).IsNil()); },
            [&](QDialog& dialog) {
                whileOpen = UserSettingsFolder(QSettings::NativeFormat);
                qobject_cast<QFileDialog*>(&dialog)->setDirectory(elsewhere.path());
            });
        EXPECT_EQ(shown.title, "Select a Vocabulary File");
        EXPECT_EQ(shown.folder, documents.path().toStdString());

        EXPECT_NE(whileOpen, native.path().toStdString());
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(whileOpen))) << whileOpen << " is left behind";
        EXPECT_EQ(UserSettingsFolder(QSettings::NativeFormat), native.path().toStdString());
        EXPECT_EQ(UserSettingsFolder(QSettings::IniFormat), ini.path().toStdString());
        EXPECT_EQ(Entries(native), "");
        EXPECT_EQ(Entries(ini), "");
    }
}

TEST(Interaction, InstallingReturnsTheOneReplacedAndNilRestoresTheDefault)
{
    Interaction& before = CurrentInteraction();
    {
        ScopedInteraction outer;
        EXPECT_EQ(&CurrentInteraction(), &outer.Script());
        {
            ScopedInteraction inner;
            MsgBox("inner");
            EXPECT_EQ(inner->Messages(), std::vector<std::string> { "inner" });
        }
        MsgBox("outer");
        EXPECT_EQ(outer->Messages(), std::vector<std::string> { "outer" });
    }
    EXPECT_EQ(&CurrentInteraction(), &before);

    auto scripted = std::make_unique<ScriptedInteraction>();
    ScriptedInteraction* raw = scripted.get();
    std::unique_ptr<Interaction> previous = InstallInteraction(std::move(scripted));
    EXPECT_EQ(previous.get(), &before);
    std::unique_ptr<Interaction> replaced = InstallInteraction(nullptr);
    EXPECT_EQ(replaced.get(), raw);
    EXPECT_EQ(dynamic_cast<ScriptedInteraction*>(&CurrentInteraction()), nullptr);
    InstallInteraction(std::move(previous));
}

TEST(ScriptedInteraction, RecordsErrorsAndFailsOnDialogsNotScripted)
{
    {
        ScopedInteraction interaction;
        CurrentInteraction().ShowError("RuntimeException", "went wrong");
        ASSERT_EQ(interaction->Errors().size(), 1u);
        EXPECT_EQ(interaction->Errors()[0].title, "RuntimeException");
        EXPECT_EQ(interaction->Errors()[0].text, "went wrong");
        interaction->ClearRecords();
        EXPECT_TRUE(interaction->Errors().empty());
    }
    EXPECT_NONFATAL_FAILURE(
        {
            ScopedInteraction interaction;
            Ref<OpenDialog> dialog = New<OpenDialog>();
            dialog->Title("Unexpected");
            EXPECT_TRUE(dialog->ShowModalWithin(nullptr).IsNil());
        },
        "open-file dialog \"Unexpected\" was shown, but no answer was queued");
    EXPECT_NONFATAL_FAILURE(
        {
            ScopedInteraction interaction;
            interaction->AnswerCancel();
        },
        "1 queued open-file answer(s) were never asked for");
}

TEST(ClassRecords, DialogsAndFilesAreRegisteredUnderTheirNames)
{
    const struct {
        const ClassRecord& record;
        const char* name;
        const char* base;
    } cases[] = {
        { FolderItem::Class(), "FolderItem", "Object" },
        { FolderItemDialog::Class(), "FolderItemDialog", "Object" },
        { OpenDialog::Class(), "OpenDialog", "FolderItemDialog" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.record.name, c.name);
        ASSERT_NE(c.record.base, nullptr);
        EXPECT_EQ(c.record.base->name, c.base);
        EXPECT_EQ(ClassRegistry::Find(c.name), &c.record);
    }
    EXPECT_EQ(&New<OpenDialog>()->ClassInfo(), &OpenDialog::Class());
}

} // namespace
