#include "RectControl.h"

#include "Exceptions.h"
#include "QtText.h"
#include "RectControlImpl.h"
#include "Runtime.h"
#include "Settings.h"
#include "Window.h"
#include "WindowImpl.h"

#include <QCoreApplication>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace {

constexpr char kTabIndexProperty[] = "veltoTabIndex";
constexpr char kSerialProperty[] = "veltoSerial";

int NextSerial()
{
    static int serial = 0;
    return ++serial;
}

// A field that takes the focus by Tab selects its whole text with the cursor
// at the end, which scrolls a long text to its end. The selection stays, run
// backwards, so that the field shows its start.
class FieldEdit final : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QLineEdit::focusInEvent(event);
        const int length = static_cast<int>(text().size());
        if (length > 0 && selectionStart() == 0 && selectionLength() == length)
            setSelection(length, -length);
    }
};

template <class W>
std::unique_ptr<RectControl::Impl> NewImpl(Window& window)
{
    QWidget* content = window.Native().content;
    if (!content)
        Raise<UnsupportedOperationException>("Window " + window.ClassInfo().name
                                             + " is closed: no control can be added to it");
    return std::make_unique<RectControl::Impl>(new W(content));
}

void Place(const RectControl& control)
{
    if (QWidget* w = control.Native().widget)
        w->setGeometry(control.Left(), control.Top(), std::max(control.Width(), 0), std::max(control.Height(), 0));
}

// Only what differs from the framework's defaults (black text, white
// background) is set, so that the platform's style shows otherwise.
void ApplyPalette(const RectControl::Impl& impl, QPalette::ColorRole textRole, QPalette::ColorRole backRole)
{
    QWidget* w = impl.widget;
    if (!w)
        return;
    QPalette palette;
    if (impl.textColour != Colour { 0, 0, 0 })
        palette.setColor(textRole, QColor(impl.textColour.red, impl.textColour.green, impl.textColour.blue));
    if (impl.backColour != Colour { 255, 255, 255 })
        palette.setColor(backRole, QColor(impl.backColour.red, impl.backColour.green, impl.backColour.blue));
    w->setPalette(palette);
}

void ApplyFont(const RectControl::Impl& impl)
{
    QWidget* w = impl.widget;
    if (!w)
        return;
    // A default QFont resolves nothing, so the widget keeps the platform's
    // font in everything not set here.
    QFont font;
    if (!impl.textFont.IsEmpty() && impl.textFont.View() != "System")
        font.setFamily(ToQString(impl.textFont));
    if (impl.bold)
        font.setBold(true);
    if (impl.italic)
        font.setItalic(true);
    if (impl.underline)
        font.setUnderline(true);
    w->setFont(font);
}

void ApplyTabStop(RectControl::Impl& impl, bool on)
{
    impl.tabStop = on;
    if (QWidget* w = impl.widget) {
        w->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
        ApplyTabOrder(w->parentWidget());
    }
}

void HelpTag(RectControl::Impl& impl, const String& tag)
{
    if (QWidget* w = impl.widget)
        w->setToolTip(ToQString(tag));
}

// The settings keys of one control class, each a typed setter on C.
template <class C>
class Keys {
public:
    explicit Keys(ClassRecordBuilder& builder) : builder_(builder) { }

    Keys& Int(const char* key, void (*set)(C&, Int32))
    {
        builder_.Setting(key, SettingType::Int32, [set](Object& o, const SettingValue& v) { set(Of(o), v.AsInt32()); });
        return *this;
    }
    Keys& Bool(const char* key, void (*set)(C&, bool))
    {
        builder_.Setting(key, SettingType::Boolean,
                         [set](Object& o, const SettingValue& v) { set(Of(o), v.AsBoolean()); });
        return *this;
    }
    Keys& Colour(const char* key, void (*set)(C&, ::Colour))
    {
        builder_.Setting(key, SettingType::Colour,
                         [set](Object& o, const SettingValue& v) { set(Of(o), v.AsColour()); });
        return *this;
    }
    Keys& Text(const char* key, void (*set)(C&, const String&))
    {
        builder_.Setting(key, SettingType::String,
                         [set](Object& o, const SettingValue& v) { set(Of(o), v.AsString()); });
        return *this;
    }
    // A key with no meaning on Qt: accepted, and nothing done.
    Keys& Ignored(const char* key, SettingType type)
    {
        builder_.Setting(key, type, {});
        return *this;
    }

private:
    static C& Of(Object& o) { return static_cast<C&>(o); }
    ClassRecordBuilder& builder_;
};

// Keys that TextField, PushButton and Label share.
template <class C>
void FontKeys(Keys<C>& keys)
{
    keys.Text("TextFont",
              [](C& c, const String& v) {
                  c.Native().textFont = v;
                  ApplyFont(c.Native());
              })
        .Bool("Bold",
              [](C& c, bool v) {
                  c.Native().bold = v;
                  ApplyFont(c.Native());
              })
        .Bool("Italic",
              [](C& c, bool v) {
                  c.Native().italic = v;
                  ApplyFont(c.Native());
              })
        .Bool("Underline", [](C& c, bool v) {
            c.Native().underline = v;
            ApplyFont(c.Native());
        });
}

Qt::Alignment FieldAlignment(Int32 code)
{
    switch (code) {
    case 0:
    case 1:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case 2:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case 3:
        return Qt::AlignRight | Qt::AlignVCenter;
    }
    Raise<OutOfBoundsException>("TextField Alignment " + std::to_string(code)
                                + " is none of 0 (default), 1 (left), 2 (centre), 3 (right)");
}

Qt::Alignment LabelAlignment(Int32 code, bool multiline)
{
    Qt::Alignment vertical = multiline ? Qt::AlignTop : Qt::AlignVCenter;
    switch (code) {
    case 0:
        return Qt::AlignLeft | vertical;
    case 1:
        return Qt::AlignHCenter | vertical;
    case 2:
        return Qt::AlignRight | vertical;
    }
    Raise<OutOfBoundsException>("Label TextAlign " + std::to_string(code)
                                + " is none of 0 (left), 1 (centre), 2 (right)");
}

} // namespace

void ApplyTabOrder(QWidget* content)
{
    if (!content)
        return;
    std::vector<QWidget*> chain;
    for (QObject* child : content->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w && w->property(kTabIndexProperty).isValid() && (w->focusPolicy() & Qt::TabFocus))
            chain.push_back(w);
    }
    std::stable_sort(chain.begin(), chain.end(), [](QWidget* a, QWidget* b) {
        int ia = a->property(kTabIndexProperty).toInt(), ib = b->property(kTabIndexProperty).toInt();
        if (ia != ib)
            return ia < ib;
        return a->property(kSerialProperty).toInt() < b->property(kSerialProperty).toInt();
    });
    for (std::size_t i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
}

// ---- RectControl

RectControl::RectControl(Window& window, std::unique_ptr<Impl> impl)
    : window_(&window)
    , impl_(std::move(impl))
{
    QWidget* w = impl_->widget;
    w->setProperty(kSerialProperty, NextSerial());
    w->setProperty(kTabIndexProperty, 0);
    Place(*this);
    // Shown with its window, or at once when the window is already up.
    w->show();
}

RectControl::~RectControl()
{
    impl_->connections.reset();
    if (QWidget* w = impl_->widget; w && QCoreApplication::instance()) {
        w->setProperty(kTabIndexProperty, QVariant());
        w->hide();
        w->deleteLater();
    }
}

const ClassRecord& RectControl::Class()
{
    static const ClassRecord& record = [] () -> const ClassRecord& {
        ClassRecordBuilder builder("RectControl", &Object::Class());
        Keys<RectControl>(builder)
            .Text("Name", [](RectControl& c, const String& v) { c.Name(v); })
            .Int("Index", [](RectControl& c, Int32 v) { c.Native().index = v; })
            .Int("Left", [](RectControl& c, Int32 v) { c.Left(v); })
            .Int("Top", [](RectControl& c, Int32 v) { c.Top(v); })
            .Int("Width", [](RectControl& c, Int32 v) { c.Width(v); })
            .Int("Height", [](RectControl& c, Int32 v) { c.Height(v); })
            // FIXME: the Lock keys are kept but not applied on resize; the
            // system's windows are not resizeable.
            .Bool("LockLeft", [](RectControl& c, bool v) { c.Native().lockLeft = v; })
            .Bool("LockTop", [](RectControl& c, bool v) { c.Native().lockTop = v; })
            .Bool("LockRight", [](RectControl& c, bool v) { c.Native().lockRight = v; })
            .Bool("LockBottom", [](RectControl& c, bool v) { c.Native().lockBottom = v; })
            .Int("TabPanelIndex", [](RectControl& c, Int32 v) { c.Native().tabPanelIndex = v; })
            .Int("TabIndex", [](RectControl& c, Int32 v) { c.TabIndex(v); });
        return ClassRegistry::Register(builder.Build());
    }();
    return record;
}

void RectControl::Name(String name)
{
    name_ = std::move(name);
    if (QWidget* w = impl_->widget)
        w->setObjectName(ToQString(name_));
}

void RectControl::Left(Int32 v)
{
    left_ = v;
    Place(*this);
}

void RectControl::Top(Int32 v)
{
    top_ = v;
    Place(*this);
}

void RectControl::Width(Int32 v)
{
    width_ = v;
    Place(*this);
}

void RectControl::Height(Int32 v)
{
    height_ = v;
    Place(*this);
}

void RectControl::Visible(bool on)
{
    visible_ = on;
    if (QWidget* w = impl_->widget)
        w->setVisible(on);
}

void RectControl::Enabled(bool on)
{
    enabled_ = on;
    if (QWidget* w = impl_->widget)
        w->setEnabled(on);
}

void RectControl::TabIndex(Int32 index)
{
    tabIndex_ = index;
    if (QWidget* w = impl_->widget) {
        w->setProperty(kTabIndexProperty, index);
        ApplyTabOrder(w->parentWidget());
    }
}

// ---- TextField

TextField::TextField(Window& window)
    : RectControl(window, NewImpl<FieldEdit>(window))
{
    Impl& impl = Native();
    // The text outlives the widget, which goes when the window closes.
    QObject::connect(impl.As<QLineEdit>(), &QLineEdit::textChanged, impl.connections.get(),
                     [&impl](const QString& text) { impl.text = FromQString(text); });
}

const ClassRecord& TextField::Class()
{
    static const ClassRecord& record = [] () -> const ClassRecord& {
        ClassRecordBuilder builder("TextField", &RectControl::Class());
        Keys<TextField> keys(builder);
        keys.Bool("TabStop", [](TextField& c, bool v) { ApplyTabStop(c.Native(), v); })
            .Bool("Border",
                  [](TextField& c, bool v) {
                      if (QLineEdit* e = c.Native().As<QLineEdit>())
                          e->setFrame(v);
                  })
            .Bool("Password",
                  [](TextField& c, bool v) {
                      if (QLineEdit* e = c.Native().As<QLineEdit>())
                          e->setEchoMode(v ? QLineEdit::Password : QLineEdit::Normal);
                  })
            .Bool("UseFocusRing",
                  [](TextField& c, bool v) {
                      if (QWidget* w = c.Native().widget)
                          w->setAttribute(Qt::WA_MacShowFocusRect, v);
                  })
            .Colour("TextColor",
                    [](TextField& c, Colour v) {
                        c.Native().textColour = v;
                        ApplyPalette(c.Native(), QPalette::Text, QPalette::Base);
                    })
            .Colour("BackColor",
                    [](TextField& c, Colour v) {
                        c.Native().backColour = v;
                        ApplyPalette(c.Native(), QPalette::Text, QPalette::Base);
                    })
            .Bool("Enabled", [](TextField& c, bool v) { c.Enabled(v); })
            .Ignored("Format", SettingType::String)
            .Bool("Visible", [](TextField& c, bool v) { c.Visible(v); })
            .Text("HelpTag", [](TextField& c, const String& v) { HelpTag(c.Native(), v); })
            .Ignored("AutoDeactivate", SettingType::Boolean);
        FontKeys(keys);
        keys.Text("CueText",
                  [](TextField& c, const String& v) {
                      if (QLineEdit* e = c.Native().As<QLineEdit>())
                          e->setPlaceholderText(ToQString(v));
                  })
            .Text("Text", [](TextField& c, const String& v) { c.Text(v); })
            // FIXME: Mask is accepted but not applied; its syntax is not Qt's input mask.
            .Ignored("Mask", SettingType::String)
            .Bool("ReadOnly", [](TextField& c, bool v) { c.ReadOnly(v); })
            .Int("LimitText",
                 [](TextField& c, Int32 v) {
                     if (QLineEdit* e = c.Native().As<QLineEdit>())
                         e->setMaxLength(v > 0 ? v : 32767);
                 })
            .Ignored("AcceptTabs", SettingType::Boolean)
            .Int("Alignment",
                 [](TextField& c, Int32 v) {
                     Qt::Alignment alignment = FieldAlignment(v);
                     if (QLineEdit* e = c.Native().As<QLineEdit>())
                         e->setAlignment(alignment);
                 })
            .Ignored("AutomaticallyCheckSpelling", SettingType::Boolean)
            .Ignored("DataSource", SettingType::String)
            .Ignored("DataField", SettingType::String);
        return ClassRegistry::Register(builder.Build());
    }();
    return record;
}

String TextField::Text() const
{
    return Native().text;
}

void TextField::Text(const String& text)
{
    Native().text = text;
    if (QLineEdit* e = Native().As<QLineEdit>()) {
        e->setText(ToQString(text));
        // Qt leaves the cursor at the end, which scrolls a long text to its
        // end; a text the program shows is read from its start.
        e->setCursorPosition(0);
    }
}

bool TextField::ReadOnly() const
{
    return Native().readOnly;
}

void TextField::ReadOnly(bool on)
{
    Native().readOnly = on;
    if (QLineEdit* e = Native().As<QLineEdit>())
        e->setReadOnly(on);
}

// ---- PushButton

PushButton::PushButton(Window& window)
    : RectControl(window, NewImpl<QPushButton>(window))
{
    Impl& impl = Native();
    QPushButton* button = impl.As<QPushButton>();
    button->setAutoDefault(false);
    QObject::connect(button, &QAbstractButton::clicked, impl.connections.get(), [this] { Push(); });
}

const ClassRecord& PushButton::Class()
{
    static const ClassRecord& record = [] () -> const ClassRecord& {
        ClassRecordBuilder builder("PushButton", &RectControl::Class());
        Keys<PushButton> keys(builder);
        keys.Bool("TabStop", [](PushButton& c, bool v) { ApplyTabStop(c.Native(), v); })
            .Text("Caption", [](PushButton& c, const String& v) { c.Caption(v); })
            .Bool("Default",
                  [](PushButton& c, bool v) {
                      if (QPushButton* b = c.Native().As<QPushButton>())
                          b->setDefault(v);
                  })
            .Bool("Cancel",
                  [](PushButton& c, bool v) {
                      if (QWidget* w = c.Native().widget)
                          w->setProperty(kCancelButtonProperty, v);
                  })
            .Bool("Enabled", [](PushButton& c, bool v) { c.Enabled(v); })
            .Bool("Visible", [](PushButton& c, bool v) { c.Visible(v); })
            .Text("HelpTag", [](PushButton& c, const String& v) { HelpTag(c.Native(), v); })
            .Ignored("AutoDeactivate", SettingType::Boolean)
            // Every style is a plain push button: Qt draws one kind, and it
            // looks right at the sizes the system gives.
            .Ignored("ButtonStyle", SettingType::Int32);
        FontKeys(keys);
        keys.Ignored("InitialParent", SettingType::String);
        return ClassRegistry::Register(builder.Build());
    }();
    return record;
}

String PushButton::Caption() const
{
    return Native().text;
}

void PushButton::Caption(const String& caption)
{
    Native().text = caption;
    // A caption shows as it stands, since it may be a word from a file
    // ("R&D"); Qt would take a single "&" as a mnemonic mark.
    if (QPushButton* b = Native().As<QPushButton>())
        b->setText(ToQString(caption).replace(QLatin1Char('&'), QLatin1String("&&")));
}

void PushButton::Push()
{
    if (!action_)
        return;
    // The handler may close the window, and with it drop this button.
    std::shared_ptr<Object> keep = weak_from_this().lock();
    ActionHandler action = action_;
    CallSystemCode([&] {
        action(*this);
        return true;
    });
}

// ---- Label

Label::Label(Window& window)
    : RectControl(window, NewImpl<QLabel>(window))
{
    QLabel* label = Native().As<QLabel>();
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(LabelAlignment(0, false));
}

const ClassRecord& Label::Class()
{
    static const ClassRecord& record = [] () -> const ClassRecord& {
        ClassRecordBuilder builder("Label", &RectControl::Class());
        Keys<Label> keys(builder);
        keys.Text("Text", [](Label& c, const String& v) { c.Text(v); })
            .Int("TextAlign",
                 [](Label& c, Int32 v) {
                     Qt::Alignment alignment = LabelAlignment(v, c.Native().multiline);
                     c.Native().textAlign = v;
                     if (QLabel* l = c.Native().As<QLabel>())
                         l->setAlignment(alignment);
                 })
            .Colour("TextColor",
                    [](Label& c, Colour v) {
                        c.Native().textColour = v;
                        ApplyPalette(c.Native(), QPalette::WindowText, QPalette::Window);
                    })
            .Bool("Multiline",
                  [](Label& c, bool v) {
                      c.Native().multiline = v;
                      if (QLabel* l = c.Native().As<QLabel>()) {
                          l->setWordWrap(v);
                          l->setAlignment(LabelAlignment(c.Native().textAlign, v));
                      }
                  })
            .Bool("Enabled", [](Label& c, bool v) { c.Enabled(v); })
            .Bool("Visible", [](Label& c, bool v) { c.Visible(v); })
            .Bool("Selectable",
                  [](Label& c, bool v) {
                      if (QLabel* l = c.Native().As<QLabel>())
                          l->setTextInteractionFlags(v ? Qt::TextSelectableByMouse : Qt::NoTextInteraction);
                  })
            .Ignored("Transparent", SettingType::Boolean)
            .Text("HelpTag", [](Label& c, const String& v) { HelpTag(c.Native(), v); })
            .Ignored("AutoDeactivate", SettingType::Boolean);
        FontKeys(keys);
        keys.Ignored("DataSource", SettingType::String)
            .Ignored("DataField", SettingType::String)
            .Ignored("InitialParent", SettingType::String);
        return ClassRegistry::Register(builder.Build());
    }();
    return record;
}

String Label::Text() const
{
    return Native().text;
}

void Label::Text(const String& text)
{
    Native().text = text;
    if (QLabel* l = Native().As<QLabel>())
        l->setText(ToQString(text));
}
