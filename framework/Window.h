#pragma once

#include "Object.h"
#include "RectControl.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

class MenuBar;
class MenuItem;

// A top-level window: a Qt main window whose content area has the window's
// Width and Height below its menu bar; controls sit at absolute positions in
// it. Creation raises, through the class's event table, Layout,
// CreateControls, AddMenuHandlers and Open, once each and in this order; the
// window is shown after Open when its Visible setting is true.
class Window : public Object {
public:
    Window();
    ~Window() override;
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    // The framework's default window constructor: raises the creation events
    // and keeps the window as its class's shared instance while it is open.
    void Constructor();

    // The shared window of a class (by registered name), or nil.
    static Ref<Window> GetImplicitWindow(std::string_view className);

    // Both raise ThreadAccessingUIException outside the user-interface thread.
    Ref<::MenuBar> MenuBar() const;
    // The bar becomes this window's own and is shown in it.
    void MenuBar(Ref<::MenuBar> bar);

    String Title() const;
    void Title(const String& title);
    Int32 Width() const;
    Int32 Height() const;
    void Width(Int32 width);
    void Height(Int32 height);
    bool Visible() const { return visible_; }
    void Visible(bool on);
    bool Resizeable() const { return resizeable_; }
    void Resizeable(bool on);

    // Takes the keyboard focus off every control.
    void SetFocus();
    // Asks to close: raises CancelClose; true from it keeps the window open.
    void Close();
    bool IsOpen() const noexcept { return open_; }

    // A new control of this window; run its Constructor before use.
    template <class C>
    Ref<C> NewControl()
    {
        return New<C>(*this);
    }
    // Registers the control under a name; a taken name raises.
    void AddControl(const String& name, Ref<RectControl> control);
    // The control under the name; a missing name raises KeyNotFoundException.
    Ref<RectControl> ControlByName(const String& name) const;
    // The control under the name as a C; another class raises.
    template <class C>
    Ref<C> ControlAs(const String& name) const
    {
        return CastTo<C>(ControlByName(name));
    }

    // Calls handler when the user chooses an item of that name while this
    // window is frontmost; true from it means handled.
    void AddMenuHandler(const String& itemName, std::function<bool()> handler);
    bool HasMenuHandler(const String& itemName) const;
    // Raises EnableMenuItems, then enables the items of the bar that have a
    // handler here (and the framework's own: Quit, and Edit items that apply).
    void EnableMenuItems();
    // Runs the handler for the item; false when there is none or it declined.
    bool HandleMenuCommand(const MenuItem& item);

    struct Impl;
    Impl& Native() const { return *impl_; }

private:
    friend struct Impl;
    void Closed();

    std::unique_ptr<Impl> impl_;
    Ref<::MenuBar> menuBar_;
    std::map<std::string, Ref<RectControl>, std::less<>> controls_;
    std::vector<std::string> controlOrder_;
    std::map<std::string, std::function<bool()>, std::less<>> menuHandlers_;
    bool visible_ = false, resizeable_ = true, open_ = false;
};
