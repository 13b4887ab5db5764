#pragma once

// Private to the framework: the Qt actions that show a menu item, kept by the
// item so that a change of the item reaches every window that shows it.

#include "MenuItem.h"

#include <QAction>
#include <QKeySequence>
#include <QPointer>

#include <optional>
#include <vector>

struct MenuItem::Realisation {
    std::vector<QPointer<QAction>> actions;

    void Add(QAction* action);
    template <class F>
    void ForEach(F&& apply)
    {
        std::erase_if(actions, [](const QPointer<QAction>& a) { return a.isNull(); });
        for (const QPointer<QAction>& a : actions)
            apply(*a);
    }
};

// The key sequence of a shortcut such as "Cmd+O" or "Cmd+Shift+F5"; empty
// for "", nullopt for one that names no key.
std::optional<QKeySequence> ParseKeyboardShortcut(const String& shortcut);

// Bring one action in line with its item.
void ShowText(QAction& action, const MenuItem& item);
void ShowShortcut(QAction& action, const MenuItem& item);
void ShowChecked(QAction& action, const MenuItem& item);
void ShowEnabled(QAction& action, const MenuItem& item);
