#pragma once

#include "Object.h"

#include <functional>
#include <memory>

class Window;

// A control at an absolute place in its window's content area. Each class
// of control lists the settings keys it accepts (see Settings.h).
class RectControl : public Object {
public:
    ~RectControl() override;
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    // The constructor of a new control; sets nothing.
    void Constructor() { }

    Window* ParentWindow() const noexcept { return window_; }

    String Name() const { return name_; }
    void Name(String name);
    Int32 Left() const { return left_; }
    Int32 Top() const { return top_; }
    Int32 Width() const { return width_; }
    Int32 Height() const { return height_; }
    void Left(Int32 v);
    void Top(Int32 v);
    void Width(Int32 v);
    void Height(Int32 v);
    bool Visible() const { return visible_; }
    void Visible(bool on);
    bool Enabled() const { return enabled_; }
    void Enabled(bool on);
    Int32 TabIndex() const { return tabIndex_; }
    void TabIndex(Int32 index);
    // The font unit (one byte of the framework's FontUnits).
    std::uint8_t TextUnit() const { return textUnit_; }
    void TextUnit(std::uint8_t unit) { textUnit_ = unit; }

    struct Impl;
    Impl& Native() const { return *impl_; }

protected:
    RectControl(Window& window, std::unique_ptr<Impl> impl);

private:
    Window* window_;   // the window owns the control
    std::unique_ptr<Impl> impl_;
    String name_;
    Int32 left_ = 0, top_ = 0, width_ = 0, height_ = 0, tabIndex_ = 0;
    bool visible_ = true, enabled_ = true;
    std::uint8_t textUnit_ = 0;
};

// A one-line text field.
class TextField : public RectControl {
public:
    explicit TextField(Window& window);
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    String Text() const;
    // Shows the text from its start, however long it is.
    void Text(const String& text);
    bool ReadOnly() const;
    void ReadOnly(bool on);
};

// A push button; its Action handler receives the clicked button.
class PushButton : public RectControl {
public:
    explicit PushButton(Window& window);
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    String Caption() const;
    void Caption(const String& caption);

    // Binds the Action event; a button without a binding does nothing.
    using ActionHandler = std::function<void(PushButton&)>;
    void AddHandler(ActionHandler handler) { action_ = std::move(handler); }
    // What a click does: the bound handler, through the exception helper.
    void Push();

private:
    ActionHandler action_;
};

// A static text.
class Label : public RectControl {
public:
    explicit Label(Window& window);
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    String Text() const;
    void Text(const String& text);
};
