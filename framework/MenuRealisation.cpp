#include "MenuRealisation.h"

#include "MenuItem.h"
#include "MenuItemRealisation.h"
#include "QtAccess.h"
#include "QtText.h"
#include "Runtime.h"
#include "Window.h"

#include <QEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>

#include <memory>
#include <string_view>

namespace {

bool IsSeparator(const MenuItem& item)
{
    return item.Text() == "-";
}

// Holds a framework object for the length of a call from Qt, so that a
// handler that drops the last reference (closing its window, say) does not
// pull the object away under the code that runs after it. An object that no
// Ref owns is used as it is.
template <class T>
class Held {
public:
    explicit Held(T& object) : weak_(object.weak_from_this()), raw_(&object), owned_(!weak_.expired()) { }

    // The object while the returned guard lives, or nullptr once it is gone.
    std::pair<std::shared_ptr<Object>, T*> Hold() const
    {
        if (!owned_)
            return { nullptr, raw_ };
        std::shared_ptr<Object> kept = weak_.lock();
        return { kept, kept ? raw_ : nullptr };
    }

private:
    std::weak_ptr<Object> weak_;
    T* raw_;
    bool owned_;
};

void RunEnableMenuItems(const Held<Window>& window)
{
    auto [kept, target] = window.Hold();
    if (!target)
        return;
    CallSystemCode([target = target] {
        target->EnableMenuItems();
        return true;
    });
}

// Ties a realised QMenuBar to its window and bar. Shortcuts of disabled
// actions do nothing, so the enabling must be right whenever the window can
// receive keys, not only when a menu opens.
class MenuBarLink : public QObject {
public:
    static constexpr const char* kName = "veltoMenuBarLink";

    MenuBarLink(Window& window, MenuBar& bar, QMenuBar* parent) : QObject(parent), window_(window), bar_(bar)
    {
        setObjectName(kName);
    }

    static MenuBarLink* Of(QMenuBar* menuBar)
    {
        return menuBar ? dynamic_cast<MenuBarLink*>(menuBar->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly))
                       : nullptr;
    }

    const Held<MenuBar>& Bar() const { return bar_; }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Shown as well as activated: activation comes later, through the
        // event loop, and the window's handlers exist by the time it shows.
        if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)
            RunEnableMenuItems(window_);
        return QObject::eventFilter(watched, event);
    }

private:
    Held<Window> window_;
    Held<MenuBar> bar_;
};

class Builder {
public:
    explicit Builder(Window& window) : window_(window) { }

    QMenu* AddMenu(MenuItem& item, QWidget* parent)
    {
        auto* menu = new QMenu(ToQString(item.Text()), parent);
        menu->setObjectName(ToQString(item.Name()));
        QAction* action = menu->menuAction();
        Follow(*action, item);
        QObject::connect(menu, &QMenu::aboutToShow, menu, [window = window_] { RunEnableMenuItems(window); });
        for (Int32 i = 0; i < item.Count(); ++i)
            AddEntry(*item.Item(i), *menu);
        return menu;
    }

private:
    void AddEntry(MenuItem& item, QMenu& menu)
    {
        if (item.Count() > 0) {
            menu.addMenu(AddMenu(item, &menu));
            return;
        }
        auto* action = new QAction(&menu);
        action->setSeparator(IsSeparator(item));
        Follow(*action, item);
        menu.addAction(action);
        if (action->isSeparator())
            return;
        QObject::connect(action, &QAction::triggered, action,
                         [window = window_, held = Held<MenuItem>(item)] {
                             auto [keptWindow, target] = window.Hold();
                             auto [keptItem, chosen] = held.Hold();
                             if (!target || !chosen)
                                 return;
                             CallSystemCode([target = target, chosen = chosen] {
                                 return DispatchMenuChoice(*target, *chosen);
                             });
                             // The action flips its own check mark when triggered;
                             // the item says what it really is.
                             chosen->Realised().ForEach([chosen = chosen](QAction& a) { ShowChecked(a, *chosen); });
                         });
    }

    void Follow(QAction& action, MenuItem& item)
    {
        action.setObjectName(ToQString(item.Name()));
        ShowText(action, item);
        ShowShortcut(action, item);
        ShowChecked(action, item);
        ShowEnabled(action, item);
        item.Realised().Add(&action);
    }

    Held<Window> window_;
};

// What the standard Edit items can do with the focused text widget.
struct EditTarget {
    QLineEdit* line = nullptr;
    QTextEdit* text = nullptr;

    bool Editable() const { return line ? !line->isReadOnly() : text && !text->isReadOnly(); }
    bool HasSelection() const
    {
        if (line)
            return line->hasSelectedText() && line->echoMode() == QLineEdit::Normal;
        return text && text->textCursor().hasSelection();
    }
    bool HasText() const { return line ? !line->text().isEmpty() : text && !text->document()->isEmpty(); }
    bool CanUndo() const
    {
        return Editable() && (line ? line->isUndoAvailable() : text->document()->isUndoAvailable());
    }
};

EditTarget FocusedEditTarget(const Window& window)
{
    QMainWindow* main = QtWindow(window);
    QWidget* focused = main ? main->focusWidget() : nullptr;
    for (QWidget* w = focused; w && w != main; w = w->parentWidget()) {
        if (auto* line = qobject_cast<QLineEdit*>(w))
            return { line, nullptr };
        if (auto* text = qobject_cast<QTextEdit*>(w))
            return { nullptr, text };
    }
    return {};
}

enum class EditCommand { None, Undo, Cut, Copy, Paste, Clear, SelectAll };

EditCommand StandardEditCommand(const String& name)
{
    static constexpr std::pair<std::string_view, EditCommand> commands[] = {
        { "EditUndo", EditCommand::Undo },   { "EditCut", EditCommand::Cut },
        { "EditCopy", EditCommand::Copy },   { "EditPaste", EditCommand::Paste },
        { "EditClear", EditCommand::Clear }, { "EditSelectAll", EditCommand::SelectAll },
    };
    for (const auto& [itemName, command] : commands) {
        if (name.View() == itemName)
            return command;
    }
    return EditCommand::None;
}

bool Applies(EditCommand command, const EditTarget& target)
{
    switch (command) {
    case EditCommand::None:
        return false;
    case EditCommand::Undo:
        return target.CanUndo();
    case EditCommand::Cut:
    case EditCommand::Clear:
        return target.Editable() && target.HasSelection();
    case EditCommand::Copy:
        return target.HasSelection();
    case EditCommand::Paste:
        return target.Editable();
    case EditCommand::SelectAll:
        return target.HasText();
    }
    return false;
}

void Perform(EditCommand command, const EditTarget& target)
{
    if (QLineEdit* line = target.line) {
        switch (command) {
        case EditCommand::Undo: line->undo(); break;
        case EditCommand::Cut: line->cut(); break;
        case EditCommand::Copy: line->copy(); break;
        case EditCommand::Paste: line->paste(); break;
        case EditCommand::Clear: line->del(); break;
        case EditCommand::SelectAll: line->selectAll(); break;
        case EditCommand::None: break;
        }
        return;
    }
    QTextEdit* text = target.text;
    switch (command) {
    case EditCommand::Undo: text->undo(); break;
    case EditCommand::Cut: text->cut(); break;
    case EditCommand::Copy: text->copy(); break;
    case EditCommand::Paste: text->paste(); break;
    case EditCommand::Clear: text->textCursor().removeSelectedText(); break;
    case EditCommand::SelectAll: text->selectAll(); break;
    case EditCommand::None: break;
    }
}

// Decides an item's enabling below a top-level menu; a submenu is enabled
// when one of its items is, so that an enabled item is never out of reach.
void DecideEnabling(MenuItem& item, Window& window, const EditTarget& edit)
{
    bool anyChildEnabled = false;
    for (Int32 i = 0; i < item.Count(); ++i) {
        MenuItem& child = *item.Item(i);
        DecideEnabling(child, window, edit);
        anyChildEnabled = anyChildEnabled || (child.Enabled() && !IsSeparator(child));
    }

    if (window.HasMenuHandler(item.Name()) || item.ClassInfo().IsA(QuitMenuItem::Class()))
        item.Enabled(true);
    else if (Applies(StandardEditCommand(item.Name()), edit))
        item.Enabled(true);
    else if (item.Count() > 0 && item.AutoEnable())
        item.Enabled(anyChildEnabled);
    else if (item.AutoEnable())
        item.Enabled(false);

    if (item.Handles("EnableMenu")) {
        EventArgs args;
        args.sender = &window;
        item.RaiseEvent("EnableMenu", args);
    }
}

} // namespace

void MenuItem::Realisation::Add(QAction* action)
{
    actions.emplace_back(action);
}

std::optional<QKeySequence> ParseKeyboardShortcut(const String& shortcut)
{
    QString rest = ToQString(shortcut).trimmed();
    if (rest.isEmpty())
        return QKeySequence();

    // Modifiers come first, each followed by "+"; what follows the last one
    // is the key, which may itself be "+".
    Qt::KeyboardModifiers modifiers;
    for (;;) {
        const qsizetype plus = rest.indexOf(u'+');
        if (plus <= 0 || plus == rest.size() - 1)
            break;
        const QString word = rest.left(plus).trimmed().toLower();
        if (word == u"cmd" || word == u"command" || word == u"ctrl")
            modifiers |= Qt::ControlModifier;   // Qt's Ctrl is the command key on macOS
        else if (word == u"shift")
            modifiers |= Qt::ShiftModifier;
        else if (word == u"alt" || word == u"option" || word == u"opt")
            modifiers |= Qt::AltModifier;
        else
            break;
        rest = rest.mid(plus + 1).trimmed();
    }

    if (rest.size() == 1) {
        const QChar key = rest.at(0).toUpper();
        if (key.isSpace() || key.isNull())
            return std::nullopt;
        return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key.unicode())));
    }
    const QKeySequence named = QKeySequence::fromString(rest, QKeySequence::PortableText);
    if (named.count() != 1 || named[0].key() == Qt::Key_unknown || named[0].key() == 0)
        return std::nullopt;
    return QKeySequence(QKeyCombination(modifiers | named[0].keyboardModifiers(), named[0].key()));
}

void ShowText(QAction& action, const MenuItem& item)
{
    if (!action.isSeparator())
        action.setText(ToQString(item.Text()));
}

void ShowShortcut(QAction& action, const MenuItem& item)
{
    if (action.isSeparator() || action.menu())
        return;
    // The setter refuses a shortcut that does not parse, so this one does.
    action.setShortcut(ParseKeyboardShortcut(item.KeyboardShortcut()).value_or(QKeySequence()));
}

void ShowChecked(QAction& action, const MenuItem& item)
{
    if (action.isSeparator() || action.menu())
        return;
    // Checkable only while checked: Qt's styles draw an empty box for an
    // unchecked checkable action, and an option that is off shows nothing.
    action.setCheckable(item.Checked());
    action.setChecked(item.Checked());
}

void ShowEnabled(QAction& action, const MenuItem& item)
{
    action.setEnabled(item.Enabled());
}

QMenuBar* RealiseMenuBar(MenuBar& bar, Window& window, QMainWindow& mainWindow)
{
    auto* menuBar = new QMenuBar(&mainWindow);
    menuBar->setObjectName(ToQString(bar.Name()));
    Builder builder(window);
    for (Int32 i = 0; i < bar.Count(); ++i)
        menuBar->addMenu(builder.AddMenu(*bar.Item(i), menuBar));
    mainWindow.installEventFilter(new MenuBarLink(window, bar, menuBar));
    mainWindow.setMenuBar(menuBar);
    RunEnableMenuItems(Held<Window>(window));
    return menuBar;
}

bool DispatchMenuChoice(Window& window, MenuItem& item)
{
    if (window.HandleMenuCommand(item))
        return true;
    EventArgs args;
    args.sender = &item;
    if (item.RaiseEvent("Action", args))
        return true;
    const EditCommand command = StandardEditCommand(item.Name());
    const EditTarget target = FocusedEditTarget(window);
    if (!Applies(command, target))
        return false;
    Perform(command, target);
    return true;
}

// The bar the window shows; the window's own MenuBar is set only once its
// realisation is done, and enabling runs already at realisation.
void UpdateMenuEnabling(Window& window)
{
    std::pair<std::shared_ptr<Object>, MenuBar*> shown { nullptr, nullptr };
    if (MenuBarLink* link = MenuBarLink::Of(QtMenuBar(window)))
        shown = link->Bar().Hold();
    Ref<::MenuBar> own = window.MenuBar();
    MenuBar* bar = shown.second ? shown.second : own.Raw();
    if (!bar)
        return;
    const EditTarget edit = FocusedEditTarget(window);
    for (Int32 i = 0; i < bar->Count(); ++i) {
        MenuItem& menu = *bar->Item(i);
        for (Int32 j = 0; j < menu.Count(); ++j)
            DecideEnabling(*menu.Item(j), window, edit);
        menu.Enabled(true);
    }
}

QAction* QtAction(const Window& window, const MenuItem& item)
{
    QMenuBar* menuBar = QtMenuBar(window);
    if (!menuBar)
        return nullptr;
    // Realised() makes the record on first use, hence not const; an item
    // never shown just gets an empty one.
    auto& realised = const_cast<MenuItem&>(item).Realised();
    QAction* found = nullptr;
    realised.ForEach([&](QAction& action) {
        for (QObject* o = &action; o && !found; o = o->parent()) {
            if (o == menuBar)
                found = &action;
        }
    });
    return found;
}

QMenuBar* QtMenuBar(const Window& window)
{
    QMainWindow* main = QtWindow(window);
    return main ? qobject_cast<QMenuBar*>(main->menuWidget()) : nullptr;
}
