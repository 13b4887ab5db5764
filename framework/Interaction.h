#pragma once

#include "Object.h"

#include <memory>

class FolderItem;
class Window;

// What an open-file dialog is asked to show.
struct OpenFileRequest {
    String title;
    Ref<FolderItem> initialDirectory;
    Window* owner = nullptr;   // the window the dialog belongs to, if any
};

// The one seam for modal interaction with the user. The default shows Qt's
// dialogs; tests install a scripted one, so that no test blocks.
class Interaction {
public:
    virtual ~Interaction() = default;
    // MsgBox: shows the text as given, line ends included; returns when closed.
    virtual void ShowMessage(const String& text) = 0;
    // The chosen file, or nil when the user cancels.
    virtual Ref<FolderItem> ChooseFile(const OpenFileRequest& request) = 0;
    // The framework's report of an unhandled exception.
    virtual void ShowError(const String& title, const String& text) = 0;
};

Interaction& CurrentInteraction();
// Installs an interaction and returns the one it replaces; nullptr restores
// the default.
std::unique_ptr<Interaction> InstallInteraction(std::unique_ptr<Interaction> interaction);
