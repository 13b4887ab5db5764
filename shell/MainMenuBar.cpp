#include "MainMenuBar.h"

#include "ImplicitInstance.h"

#include <span>

namespace {

ImplicitInstance<MainMenuBar> implicitInstance;

enum class ItemClass { Plain, Quit };

struct ItemRow {
    const char* menu;       // nullptr: a top-level menu on the bar
    const char* name;
    ItemClass itemClass;
    const char* text;
    const char* shortcut;   // nullptr: no shortcut call at all
};

constexpr ItemRow fileItems[] = {
    { nullptr, "FileMenu", ItemClass::Plain, "&File", "" },
    { "FileMenu", "menuOpen", ItemClass::Plain, "Open Vocabulary File...", "Cmd+o" },
    { "FileMenu", "FileQuit", ItemClass::Quit, "&Quit", "Cmd+Q" },
};

constexpr ItemRow editItems[] = {
    { nullptr, "EditMenu", ItemClass::Plain, "&Edit", "" },
    { "EditMenu", "EditUndo", ItemClass::Plain, "&Undo", "Cmd+Z" },
    { "EditMenu", "EditSeparator1", ItemClass::Plain, "-", nullptr },
    { "EditMenu", "EditCut", ItemClass::Plain, "Cu&t", "Cmd+X" },
    { "EditMenu", "EditCopy", ItemClass::Plain, "&Copy", "Cmd+C" },
    { "EditMenu", "EditPaste", ItemClass::Plain, "&Paste", "Cmd+V" },
    { "EditMenu", "EditClear", ItemClass::Plain, "&Delete", "" },
    { "EditMenu", "EditSeparator2", ItemClass::Plain, "-", nullptr },
    { "EditMenu", "EditSelectAll", ItemClass::Plain, "Select &All", "Cmd+A" },
};

constexpr ItemRow optionItems[] = {
    { nullptr, "Options", ItemClass::Plain, "Options", "" },
    { "Options", "menuUseLeftWordAsQuestion", ItemClass::Plain, "Use Left Word As Question", "" },
};

// Each item is complete before it is attached, and its menu is found anew
// on the bar for every item.
void BuildItems(MenuBar& bar, std::span<const ItemRow> rows)
{
    for (const ItemRow& row : rows) {
        Ref<MenuItem> item = row.itemClass == ItemClass::Quit ? Ref<MenuItem>(New<QuitMenuItem>())
                                                              : New<MenuItem>();
        item->Constructor();
        item->Name(row.name);
        item->AutoEnable(true);
        item->Text(row.text);
        if (row.shortcut)
            item->KeyboardShortcut(row.shortcut);
        if (row.menu)
            bar.Child(row.menu)->Append(item);
        else
            bar.Append(item);
    }
}

} // namespace

const ClassRecord& MainMenuBar::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(
        ClassRecordBuilder("MainMenuBar.MainMenuBar", &MenuBar::Class())
            .WithScope(Scope::Public)
            .Override("Constructor", "()")
            .AddVirtual("FileMenu", "()")
            .AddVirtual("EditMenu", "()")
            .AddVirtual("Options", "()")
            .Method("FileMenu", Scope::Public, "()")
            .Method("EditMenu", Scope::Public, "()")
            .Method("Options", Scope::Public, "()")
            .Method("Constructor", Scope::Public, "()")
            .Build());
    return record;
}

Ref<MainMenuBar> MainMenuBar::Shared()
{
    return implicitInstance.Get([] {
        Ref<MainMenuBar> bar = New<MainMenuBar>();
        bar->Constructor();
        return bar;
    });
}

void MainMenuBar::ReleaseShared() noexcept { implicitInstance.Exit(); }

bool MainMenuBar::HasShared() noexcept { return !implicitInstance.IsEmpty(); }

void MainMenuBar::Constructor()
{
    FileMenu();
    EditMenu();
    Options();
}

void MainMenuBar::FileMenu() { BuildItems(*this, fileItems); }
void MainMenuBar::EditMenu() { BuildItems(*this, editItems); }
void MainMenuBar::Options() { BuildItems(*this, optionItems); }
