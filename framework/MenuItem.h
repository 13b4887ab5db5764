#pragma once

#include "Object.h"

#include <memory>
#include <vector>

// A menu item; a top-level menu is an item whose children are its items.
// Items are found by their Name, which stays apart from their Text.
// "&" in a Text marks the mnemonic, a Text of "-" is a separator and a
// shortcut "Cmd+X" is the platform's command key with X.
// Items belong to the user-interface thread: creating one or calling any of
// the operations below from another thread raises ThreadAccessingUIException.
class MenuItem : public Object {
public:
    MenuItem();
    ~MenuItem() override;
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    // The constructor without arguments; sets nothing.
    virtual void Constructor();

    String Name() const;
    void Name(String name);
    String Text() const;
    void Text(String text);
    String KeyboardShortcut() const;
    void KeyboardShortcut(String shortcut);
    // Whether a shortcut was ever set, the empty one included.
    bool HasKeyboardShortcut() const;
    bool AutoEnable() const;
    void AutoEnable(bool on);
    bool Checked() const;
    void Checked(bool on);
    bool Enabled() const;
    void Enabled(bool on);

    // Adds the item after those appended before.
    void Append(Ref<MenuItem> item);
    Int32 Count() const;
    Ref<MenuItem> Item(Int32 index) const;
    // A direct child by name, or nil.
    Ref<MenuItem> Child(const String& name) const;
    // An item by name at any depth below this one, or nil.
    Ref<MenuItem> Lookup(const String& name) const;
    MenuItem* Parent() const;

    // The Qt side keeps its actions in sync with the item through this.
    struct Realisation;
    Realisation& Realised();

private:
    Ref<MenuItem> FindBelow(const String& name) const;

    String name_, text_, shortcut_;
    bool autoEnable_ = false, checked_ = false, enabled_ = true, shortcutSet_ = false;
    std::vector<Ref<MenuItem>> children_;
    MenuItem* parent_ = nullptr;
    std::unique_ptr<Realisation> realised_;
};

// The bar of a window or of the application; its children are the menus.
class MenuBar : public MenuItem {
public:
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }
};

// An item whose own action quits the application.
class QuitMenuItem : public MenuItem {
public:
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }
};
