#include "MenuItem.h"

#include "Exceptions.h"
#include "MenuItemRealisation.h"
#include "Runtime.h"
#include "UIThread.h"

#include <string>

namespace {

std::string Quoted(const String& text)
{
    return "\"" + text.ToStdString() + "\"";
}

} // namespace

MenuItem::MenuItem()
{
    RequireUIThread("MenuItem.Constructor");
}

MenuItem::~MenuItem()
{
    // A child that outlives its menu, held elsewhere, must not point back.
    for (Ref<MenuItem>& child : children_)
        child->parent_ = nullptr;
}

const ClassRecord& MenuItem::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(
        ClassRecordBuilder("MenuItem", &Object::Class())
            .AddVirtual("Append", "(item As MenuItem)")
            .AddVirtual("Child", "(name As String) As MenuItem")
            .AddVirtual("Clone", "() As MenuItem")
            .AddVirtual("Close", "()")
            .AddVirtual("Constructor", "()")
            .AddVirtual("Constructor", "(item As MenuItem)")
            .AddVirtual("Constructor", "(text As String, tag As Variant)")
            .AddVirtual("Count", "() As Int32")
            .AddVirtual("Enable", "()")
            .AddVirtual("Insert", "(index As Int32, item As MenuItem)")
            .AddVirtual("Item", "(index As Int32) As MenuItem")
            .AddVirtual("MenuItem", "()")
            .AddVirtual("MenuItem", "(text As String, tag As Variant)")
            .AddVirtual("PopUp", "() As MenuItem")
            .AddVirtual("PopUp", "(x As Int32, y As Int32) As MenuItem")
            .AddVirtual("Remove", "(index As Int32)")
            .AddVirtual("Remove", "(item As MenuItem)")
            .AddVirtual("Remove", "(name As String)")
            .AddVirtual("_DisableEntirely", "()")
            .AddVirtual("_Lookup", "(name As String) As MenuItem")
            .AddVirtual("_Lookup", "(name As String, depth As Int32) As MenuItem")
            .AddVirtual("_SelfEnable", "()")
            .AddVirtual("_Swap", "(text As String, item As MenuItem)")
            .Property("Name", Scope::Public, "String")
            .Property("Text", Scope::Public, "String")
            .Property("KeyboardShortcut", Scope::Public, "String")
            .Property("AutoEnable", Scope::Public, "Boolean")
            .Property("Checked", Scope::Public, "Boolean")
            .Property("Enabled", Scope::Public, "Boolean")
            .Build());
    return record;
}

void MenuItem::Constructor()
{
    RequireUIThread("MenuItem.Constructor");
}

String MenuItem::Name() const
{
    RequireUIThread("MenuItem.Name");
    return name_;
}

void MenuItem::Name(String name)
{
    RequireUIThread("MenuItem.Name");
    name_ = std::move(name);
}

String MenuItem::Text() const
{
    RequireUIThread("MenuItem.Text");
    return text_;
}

void MenuItem::Text(String text)
{
    RequireUIThread("MenuItem.Text");
    text_ = std::move(text);
    if (realised_)
        realised_->ForEach([this](QAction& a) { ShowText(a, *this); });
}

String MenuItem::KeyboardShortcut() const
{
    RequireUIThread("MenuItem.KeyboardShortcut");
    return shortcut_;
}

void MenuItem::KeyboardShortcut(String shortcut)
{
    RequireUIThread("MenuItem.KeyboardShortcut");
    if (!ParseKeyboardShortcut(shortcut))
        Raise<UnsupportedOperationException>("The keyboard shortcut " + Quoted(shortcut) + " of menu item "
                                             + Quoted(name_)
                                             + " names no key; use a form such as \"Cmd+O\" or \"Cmd+Shift+F5\"");
    shortcut_ = std::move(shortcut);
    shortcutSet_ = true;
    if (realised_)
        realised_->ForEach([this](QAction& a) { ShowShortcut(a, *this); });
}

bool MenuItem::HasKeyboardShortcut() const
{
    RequireUIThread("MenuItem.KeyboardShortcut");
    return shortcutSet_;
}

bool MenuItem::AutoEnable() const
{
    RequireUIThread("MenuItem.AutoEnable");
    return autoEnable_;
}

void MenuItem::AutoEnable(bool on)
{
    RequireUIThread("MenuItem.AutoEnable");
    autoEnable_ = on;
}

bool MenuItem::Checked() const
{
    RequireUIThread("MenuItem.Checked");
    return checked_;
}

void MenuItem::Checked(bool on)
{
    RequireUIThread("MenuItem.Checked");
    checked_ = on;
    if (realised_)
        realised_->ForEach([this](QAction& a) { ShowChecked(a, *this); });
}

bool MenuItem::Enabled() const
{
    RequireUIThread("MenuItem.Enabled");
    return enabled_;
}

void MenuItem::Enabled(bool on)
{
    RequireUIThread("MenuItem.Enabled");
    enabled_ = on;
    if (realised_)
        realised_->ForEach([this](QAction& a) { ShowEnabled(a, *this); });
}

// FIXME: an item appended after its bar is shown appears only where the bar
// is shown anew.
void MenuItem::Append(Ref<MenuItem> item)
{
    RequireUIThread("MenuItem.Append");
    MenuItem& added = item.Get();
    if (added.parent_)
        Raise<UnsupportedOperationException>("The menu item " + Quoted(added.name_) + " already belongs to "
                                             + Quoted(added.parent_->name_) + " and cannot be appended to "
                                             + Quoted(name_));
    for (const MenuItem* above = this; above; above = above->parent_) {
        if (above == &added)
            Raise<UnsupportedOperationException>("The menu item " + Quoted(added.name_)
                                                 + " cannot be appended to itself or to an item below it");
    }
    added.parent_ = this;
    children_.push_back(std::move(item));
}

Int32 MenuItem::Count() const
{
    RequireUIThread("MenuItem.Count");
    return static_cast<Int32>(children_.size());
}

Ref<MenuItem> MenuItem::Item(Int32 index) const
{
    RequireUIThread("MenuItem.Item");
    if (index < 0 || index >= Count())
        Raise<OutOfBoundsException>("Index " + std::to_string(index) + " is outside the "
                                    + std::to_string(Count()) + " items of menu " + Quoted(name_));
    return children_[static_cast<std::size_t>(index)];
}

Ref<MenuItem> MenuItem::Child(const String& name) const
{
    RequireUIThread("MenuItem.Child");
    for (const Ref<MenuItem>& child : children_) {
        if (child->name_ == name)
            return child;
    }
    return nullptr;
}

Ref<MenuItem> MenuItem::Lookup(const String& name) const
{
    RequireUIThread("MenuItem.Lookup");
    return FindBelow(name);
}

// Depth first: an item's own children come before its next sibling.
Ref<MenuItem> MenuItem::FindBelow(const String& name) const
{
    for (const Ref<MenuItem>& child : children_) {
        if (child->name_ == name)
            return child;
        if (Ref<MenuItem> found = child->FindBelow(name))
            return found;
    }
    return nullptr;
}

MenuItem* MenuItem::Parent() const
{
    RequireUIThread("MenuItem.Parent");
    return parent_;
}

MenuItem::Realisation& MenuItem::Realised()
{
    if (!realised_)
        realised_ = std::make_unique<Realisation>();
    return *realised_;
}

const ClassRecord& MenuBar::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(
        ClassRecordBuilder("MenuBar", &MenuItem::Class())
            .AddVirtual("__DependencyList", "()")
            .AddVirtual("_InstallClone", "(item As MenuItem)")
            .Build());
    return record;
}

const ClassRecord& QuitMenuItem::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(
        ClassRecordBuilder("QuitMenuItem", &MenuItem::Class())
            .Event("Action",
                   [](Object&, EventArgs&) {
                       Quit(0);
                       return true;
                   })
            .Build());
    return record;
}
