#include "Interaction.h"

#include "FolderItem.h"
#include "QtAccess.h"
#include "QtText.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <utility>

namespace {

// Without a QApplication there is nobody to show a dialog to; the text still
// reaches a person through stderr instead of ending the run.
bool CanShowDialogs() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

void ShowBox(QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    // Shown as given: a word like "<b>" is not markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// Qt's file dialog keeps its memory (recent folders, sidebar, view) in the
// settings that every Qt program shares, and writes them each time it
// closes. The program saves nothing: while one is open, the user settings of
// the format the dialog uses live in a scratch folder that goes with it, then
// go back to wherever they were. Should no scratch folder be made, Qt keeps
// its own ways.
class ScratchQtSettings {
public:
    ScratchQtSettings()
    {
        if (scratch_.isValid())
            QSettings::setPath(kDialogsFormat, QSettings::UserScope, scratch_.path());
    }
    ~ScratchQtSettings()
    {
        if (scratch_.isValid())
            QSettings::setPath(kDialogsFormat, QSettings::UserScope, before_);
    }
    ScratchQtSettings(const ScratchQtSettings&) = delete;
    ScratchQtSettings& operator=(const ScratchQtSettings&) = delete;

private:
    // The dialog opens QSettings(UserScope, "QtProject"), which is always in
    // the native format, whatever the default format says.
    static constexpr QSettings::Format kDialogsFormat = QSettings::NativeFormat;

    // Qt has no getter for a path set with setPath; the file a settings
    // object of that format and scope would use names the folder in force.
    static QString UserSettingsFolder()
    {
        return QFileInfo(QSettings(kDialogsFormat, QSettings::UserScope, "QtProject").fileName()).path();
    }

    const QString before_ = UserSettingsFolder();
    QTemporaryDir scratch_;
};

class QtInteraction final : public Interaction {
public:
    void ShowMessage(const String& text) override
    {
        if (!CanShowDialogs()) {
            std::fprintf(stderr, "%s\n", text.ToStdString().c_str());
            return;
        }
        ShowBox(QMessageBox::Information, QGuiApplication::applicationDisplayName(), ToQString(text));
    }

    Ref<FolderItem> ChooseFile(const OpenFileRequest& request) override
    {
        if (!CanShowDialogs())
            return nullptr;
        QWidget* parent = request.owner ? QtWindow(*request.owner) : nullptr;
        QString folder;
        if (request.initialDirectory) {
            std::string_view path = request.initialDirectory->NativePath().View();
            folder = QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
        }
        QString chosen;
        {
            ScratchQtSettings scratch;
            chosen = QFileDialog::getOpenFileName(parent, ToQString(request.title), folder);
        }
        if (chosen.isEmpty())
            return nullptr;
        return New<FolderItem>(String(QFile::encodeName(chosen).toStdString()));
    }

    void ShowError(const String& title, const String& text) override
    {
        if (!CanShowDialogs()) {
            std::fprintf(stderr, "%s: %s\n", title.ToStdString().c_str(), text.ToStdString().c_str());
            return;
        }
        ShowBox(QMessageBox::Critical, ToQString(title), ToQString(text));
    }
};

std::unique_ptr<Interaction>& Installed()
{
    static std::unique_ptr<Interaction> interaction;
    return interaction;
}

} // namespace

Interaction& CurrentInteraction()
{
    auto& interaction = Installed();
    if (!interaction)
        interaction = std::make_unique<QtInteraction>();
    return *interaction;
}

std::unique_ptr<Interaction> InstallInteraction(std::unique_ptr<Interaction> interaction)
{
    return std::exchange(Installed(), std::move(interaction));
}
