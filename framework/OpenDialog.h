#pragma once

#include "FolderItem.h"

class Window;

// A dialog that asks for a file or folder; shown through the interaction seam.
class FolderItemDialog : public Object {
public:
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    Ref<FolderItem> InitialDirectory() const { return initialDirectory_; }
    void InitialDirectory(Ref<FolderItem> folder) { initialDirectory_ = std::move(folder); }
    String Title() const { return title_; }
    void Title(String title) { title_ = std::move(title); }

    // Shows the dialog modally within the window; the chosen item, or nil on
    // cancel.
    Ref<FolderItem> ShowModalWithin(const Ref<Window>& owner);

private:
    Ref<FolderItem> initialDirectory_;
    String title_;
};

// Asks for one existing file.
class OpenDialog : public FolderItemDialog {
public:
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }
};
