#include "Window.h"

#include "Exceptions.h"
#include "MenuItem.h"
#include "MenuRealisation.h"
#include "QtText.h"
#include "RectControlImpl.h"
#include "Runtime.h"
#include "Settings.h"
#include "UIThread.h"
#include "WindowImpl.h"
#include "WindowList.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>

#include <algorithm>

namespace {

std::vector<Ref<Window>>& OpenList()
{
    static std::vector<Ref<Window>> windows;
    return windows;
}

// Every close request (the title bar's button, QWidget::close) becomes the
// framework's own Close, which asks the system through CancelClose.
class MainWindow final : public QMainWindow {
public:
    explicit MainWindow(Window& window) : window_(&window) { }
    void Detach() { window_ = nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        event->ignore();
        if (window_)
            window_->Close();
    }

private:
    Window* window_;
};

// The content area: controls at absolute positions, no layout. It acts on
// Return and Escape for the window's Default and Cancel buttons, as a dialog
// does, since Qt gives those keys that meaning only in dialogs.
class Content final : public QWidget {
public:
    explicit Content(Window::Impl& impl) : impl_(&impl) { }
    void Detach() { impl_ = nullptr; }

    QSize sizeHint() const override
    {
        return impl_ ? QSize(std::max(impl_->width, 0), std::max(impl_->height, 0)) : QWidget::sizeHint();
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        // The user may resize a resizeable window: Width and Height follow.
        if (impl_ && window()->isVisible()) {
            impl_->width = event->size().width();
            impl_->height = event->size().height();
        }
        QWidget::resizeEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
        bool enter = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && mods == Qt::NoModifier;
        bool escape = event->key() == Qt::Key_Escape && mods == Qt::NoModifier;
        if (enter || escape) {
            for (QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
                bool chosen = enter ? button->isDefault() : button->property(kCancelButtonProperty).toBool();
                if (chosen && button->isVisible() && button->isEnabled()) {
                    button->click();
                    return;
                }
            }
        }
        QWidget::keyPressEvent(event);
    }

private:
    Window::Impl* impl_;
};

// Qt's widget sizes stop at QWIDGETSIZE_MAX.
int QtExtent(Int32 value)
{
    return std::clamp<Int32>(value, 0, QWIDGETSIZE_MAX);
}

struct ClosingScope {
    explicit ClosingScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~ClosingScope() { flag_ = false; }
    bool& flag_;
};

} // namespace

std::vector<Ref<Window>> OpenWindows()
{
    return OpenList();
}

void DropAllWindows()
{
    // Moved out first: a window's destruction must not meet a half-cleared list.
    std::vector<Ref<Window>> windows;
    windows.swap(OpenList());
    windows.clear();
    if (QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Window::Impl::Impl(Window& window)
    : owner(window)
{
    auto* main = new MainWindow(window);
    auto* area = new Content(*this);
    area->setFocusPolicy(Qt::ClickFocus);
    main->setCentralWidget(area);
    mainWindow = main;
    content = area;
}

Window::Impl::~Impl()
{
    if (content)
        static_cast<Content*>(content.data())->Detach();
}

void Window::Impl::ApplyFlags()
{
    if (!mainWindow)
        return;
    Qt::WindowFlags flags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint;
    if (minimizeButton)
        flags |= Qt::WindowMinimizeButtonHint;
    if (maximizeButton && owner.Resizeable())
        flags |= Qt::WindowMaximizeButtonHint;
    if (closeButton)
        flags |= Qt::WindowCloseButtonHint;
    if (mainWindow->windowFlags() == flags)
        return;
    // Qt hides a window whose flags change.
    bool shown = mainWindow->isVisible();
    mainWindow->setWindowFlags(flags);
    if (shown)
        mainWindow->show();
}

void Window::Impl::ApplyGeometry()
{
    if (!mainWindow || !content)
        return;
    QLayout* layout = mainWindow->layout();
    if (!owner.Resizeable()) {
        // The layout then fixes the window to content plus menu bar, so the
        // platform offers no resizing.
        content->setFixedSize(QtExtent(width), QtExtent(height));
        layout->setSizeConstraint(QLayout::SetFixedSize);
        layout->activate();
        return;
    }
    layout->setSizeConstraint(QLayout::SetDefaultConstraint);
    mainWindow->setMinimumSize(0, 0);
    mainWindow->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    content->setMinimumSize(QtExtent(std::min(minWidth, width)), QtExtent(std::min(minHeight, height)));
    content->setMaximumSize(QtExtent(std::max(maxWidth, width)), QtExtent(std::max(maxHeight, height)));
    content->updateGeometry();
    layout->invalidate();
    mainWindow->resize(mainWindow->sizeHint());
}

void Window::Impl::ApplyBackColour()
{
    if (!content)
        return;
    content->setAutoFillBackground(hasBackColor);
    QPalette palette;
    if (hasBackColor)
        palette.setColor(QPalette::Window, QColor(backColor.red, backColor.green, backColor.blue));
    content->setPalette(palette);
}

void Window::Impl::ApplyMenuBarVisible()
{
    if (mainWindow && mainWindow->menuWidget())
        mainWindow->menuWidget()->setVisible(menuBarVisible);
}

void Window::Impl::ShowNow()
{
    if (!mainWindow)
        return;
    ApplyTabOrder(content);
    if (placement == 2) {
        QScreen* screen = mainWindow->screen() ? mainWindow->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            mainWindow->layout()->activate();
            QRect area = screen->availableGeometry();
            QSize size = mainWindow->frameGeometry().size();
            mainWindow->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
        }
    }
    if (fullScreen)
        mainWindow->showFullScreen();
    else
        mainWindow->show();
}

Window::Window()
    : impl_(std::make_unique<Impl>(*this))
{
    // Here, not in Impl's constructor: the flags read members set after impl_.
    impl_->ApplyFlags();
    impl_->ApplyGeometry();
}

Window::~Window()
{
    if (QMainWindow* main = impl_->mainWindow) {
        static_cast<MainWindow*>(main)->Detach();
        // A closed window's Qt side is already on its way out; one that never
        // opened has no event of its own running, so it can go at once.
        // Without an application object Qt can no longer delete widgets.
        if (!impl_->deleteScheduled && QCoreApplication::instance())
            delete main;
    }
}

const ClassRecord& Window::Class()
{
    static const ClassRecord& record = [] () -> const ClassRecord& {
        ClassRecordBuilder builder("Window", &Object::Class());
        for (const char* operation :
             { "AcceptFileDrop", "AcceptMacDataDrop", "AcceptPictureDrop", "AcceptRawDataDrop", "AcceptTextDrop",
               "Close", "Constructor", "Control", "DrawInto", "FocusNext", "FocusPrevious", "Hide", "Maximize",
               "Minimize", "Operator_Convert", "Refresh", "RefreshRect", "Restore", "SetFocus", "Show",
               "ShowModal", "ShowModalWithin", "ShowWithin", "TrueWindow", "UpdateNow", "Window", "_AddControl",
               "_AddMenuHandler", "_CallActivated", "_CallDeactivated", "_CallMouseDown", "_CallMoved",
               "_CallResized", "_CallResizing", "_ControlByName", "_ControlByNameIndex", "_EnableMenuItems",
               "_HandleMenuCommand", "_KeyDown", "_MouseEnter", "_MouseExit", "_MouseMove", "_MouseWheel", "_Move",
               "_Paint", "_RemoveControl", "_UnifiedClose", "_Update", "__DependencyList", "__New" })
            builder.AddVirtual(operation);

        auto self = [](Object& object) -> Window& { return static_cast<Window&>(object); };
        auto impl = [self](Object& object) -> Impl& { return *self(object).impl_; };
        auto flag = [impl](bool Impl::*member, void (Impl::*apply)()) {
            return [impl, member, apply](Object& object, const SettingValue& value) {
                Impl& i = impl(object);
                i.*member = value.AsBoolean();
                if (apply)
                    (i.*apply)();
            };
        };
        auto extent = [impl](Int32 Impl::*member) {
            return [impl, member](Object& object, const SettingValue& value) {
                Impl& i = impl(object);
                i.*member = value.AsInt32();
                i.ApplyGeometry();
            };
        };
        builder
            .Setting("Placement", SettingType::Int32,
                     [impl](Object& o, const SettingValue& v) { impl(o).placement = v.AsInt32(); })
            .Setting("Width", SettingType::Int32,
                     [self](Object& o, const SettingValue& v) { self(o).Width(v.AsInt32()); })
            .Setting("Height", SettingType::Int32,
                     [self](Object& o, const SettingValue& v) { self(o).Height(v.AsInt32()); })
            .Setting("MinWidth", SettingType::Int32, extent(&Impl::minWidth))
            .Setting("MinHeight", SettingType::Int32, extent(&Impl::minHeight))
            .Setting("MaxWidth", SettingType::Int32, extent(&Impl::maxWidth))
            .Setting("MaxHeight", SettingType::Int32, extent(&Impl::maxHeight))
            .Setting("Frame", SettingType::Int32,
                     [impl](Object& o, const SettingValue& v) { impl(o).frame = v.AsInt32(); })
            .Setting("Composite", SettingType::Boolean, flag(&Impl::composite, nullptr))
            .Setting("HasBackColor", SettingType::Boolean, flag(&Impl::hasBackColor, &Impl::ApplyBackColour))
            .Setting("BackColor", SettingType::Colour,
                     [impl](Object& o, const SettingValue& v) {
                         impl(o).backColor = v.AsColour();
                         impl(o).ApplyBackColour();
                     })
            .Setting("Title", SettingType::String,
                     [self](Object& o, const SettingValue& v) { self(o).Title(v.AsString()); })
            .Setting("Visible", SettingType::Boolean,
                     [self](Object& o, const SettingValue& v) { self(o).Visible(v.AsBoolean()); })
            .Setting("FullScreen", SettingType::Boolean, flag(&Impl::fullScreen, nullptr))
            .Setting("MenuBarVisible", SettingType::Boolean, flag(&Impl::menuBarVisible, &Impl::ApplyMenuBarVisible))
            .Setting("CloseButton", SettingType::Boolean, flag(&Impl::closeButton, &Impl::ApplyFlags))
            .Setting("Resizeable", SettingType::Boolean,
                     [self](Object& o, const SettingValue& v) { self(o).Resizeable(v.AsBoolean()); })
            .Setting("LiveResize", SettingType::Boolean, flag(&Impl::liveResize, nullptr))
            .Setting("MaximizeButton", SettingType::Boolean, flag(&Impl::maximizeButton, &Impl::ApplyFlags))
            .Setting("MinimizeButton", SettingType::Boolean, flag(&Impl::minimizeButton, &Impl::ApplyFlags))
            .Setting("MacProcID", SettingType::Int32, {});
        return ClassRegistry::Register(builder.Build());
    }();
    return record;
}

void Window::Constructor()
{
    const std::string& className = ClassInfo().name;
    if (impl_->constructed)
        Raise<UnsupportedOperationException>("Window " + className + " was already constructed");
    Ref<Window> self(std::dynamic_pointer_cast<Window>(weak_from_this().lock()));
    if (!self)
        Raise<UnsupportedOperationException>("Window " + className + " must be made with New to be opened");
    impl_->constructed = true;
    for (const char* event : { "Layout", "CreateControls", "AddMenuHandlers", "Open" }) {
        EventArgs args;
        args.sender = this;
        RaiseEvent(event, args);
    }
    OpenList().push_back(std::move(self));
    open_ = true;
    // Shown only now, so that nothing appears half built.
    if (visible_)
        impl_->ShowNow();
}

Ref<Window> Window::GetImplicitWindow(std::string_view className)
{
    for (const Ref<Window>& window : OpenList()) {
        if (window->ClassInfo().name == className)
            return window;
    }
    return nullptr;
}

Ref<::MenuBar> Window::MenuBar() const
{
    RequireUIThread("Window.MenuBar");
    return menuBar_;
}

void Window::MenuBar(Ref<::MenuBar> bar)
{
    RequireUIThread("Window.MenuBar");
    if (QMainWindow* main = impl_->mainWindow) {
        if (bar)
            RealiseMenuBar(*bar, *this, *main);   // installs it in main
        else
            main->setMenuWidget(nullptr);
    }
    menuBar_ = std::move(bar);
    impl_->ApplyMenuBarVisible();
    impl_->ApplyGeometry();
}

String Window::Title() const
{
    return impl_->title;
}

void Window::Title(const String& title)
{
    impl_->title = title;
    if (impl_->mainWindow)
        impl_->mainWindow->setWindowTitle(ToQString(title));
}

Int32 Window::Width() const
{
    return impl_->width;
}

Int32 Window::Height() const
{
    return impl_->height;
}

void Window::Width(Int32 width)
{
    impl_->width = width;
    impl_->ApplyGeometry();
}

void Window::Height(Int32 height)
{
    impl_->height = height;
    impl_->ApplyGeometry();
}

void Window::Visible(bool on)
{
    visible_ = on;
    QMainWindow* main = impl_->mainWindow;
    if (!open_ || !main)
        return;
    if (!on)
        main->hide();
    else if (!main->isVisible())
        impl_->ShowNow();
}

void Window::Resizeable(bool on)
{
    resizeable_ = on;
    impl_->ApplyFlags();
    impl_->ApplyGeometry();
}

void Window::SetFocus()
{
    // The content area takes the focus; it is not in the tab chain, so no
    // control is left holding it.
    if (QWidget* area = impl_->content)
        area->setFocus(Qt::OtherFocusReason);
}

void Window::Close()
{
    if (!open_ || impl_->closing)
        return;
    // The window may lose its last reference while it closes.
    std::shared_ptr<Object> keep = weak_from_this().lock();
    bool keepOpen;
    {
        ClosingScope scope(impl_->closing);
        keepOpen = CallSystemCode([this] {
            EventArgs args;
            args.flag = IsQuitting();
            return RaiseEvent("CancelClose", args, false);
        });
    }
    if (!keepOpen)
        Closed();
}

void Window::Closed()
{
    open_ = false;
    if (QMainWindow* main = impl_->mainWindow) {
        static_cast<MainWindow*>(main)->Detach();
        main->hide();
        // Never deleted inside its own event handler: the close may have come from it.
        main->deleteLater();
        impl_->deleteScheduled = true;
    }
    auto& windows = OpenList();
    auto it = std::find_if(windows.begin(), windows.end(), [this](const Ref<Window>& w) { return w.Raw() == this; });
    if (it != windows.end())
        windows.erase(it);
}

void Window::AddControl(const String& name, Ref<RectControl> control)
{
    RectControl& added = control.Get();
    std::string key = name.ToStdString();
    if (controls_.contains(key))
        Raise<UnsupportedOperationException>("Window " + ClassInfo().name + " already has a control named \"" + key
                                              + "\"");
    if (added.ParentWindow() != this)
        Raise<UnsupportedOperationException>("Control \"" + key + "\" belongs to another window than "
                                             + ClassInfo().name);
    added.Name(name);
    controls_.emplace(key, std::move(control));
    controlOrder_.push_back(std::move(key));
    ApplyTabOrder(impl_->content);
}

Ref<RectControl> Window::ControlByName(const String& name) const
{
    auto it = controls_.find(name.View());
    if (it == controls_.end())
        Raise<KeyNotFoundException>("Window " + ClassInfo().name + " has no control named \"" + name.ToStdString()
                                    + "\"");
    return it->second;
}

void Window::AddMenuHandler(const String& itemName, std::function<bool()> handler)
{
    std::string key = itemName.ToStdString();
    if (!handler)
        Raise<UnsupportedOperationException>("The menu handler for \"" + key + "\" in window " + ClassInfo().name
                                             + " is empty");
    if (menuHandlers_.contains(key))
        Raise<UnsupportedOperationException>("Window " + ClassInfo().name + " already has a menu handler for \"" + key
                                             + "\"");
    menuHandlers_.emplace(std::move(key), std::move(handler));
}

bool Window::HasMenuHandler(const String& itemName) const
{
    return menuHandlers_.find(itemName.View()) != menuHandlers_.end();
}

void Window::EnableMenuItems()
{
    EventArgs args;
    args.sender = this;
    RaiseEvent("EnableMenuItems", args);
    UpdateMenuEnabling(*this);
}

bool Window::HandleMenuCommand(const MenuItem& item)
{
    auto it = menuHandlers_.find(item.Name().View());
    if (it == menuHandlers_.end())
        return false;
    // A copy: the handler may replace the window's handlers.
    std::function<bool()> handler = it->second;
    return handler();
}
