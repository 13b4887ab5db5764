#pragma once

// Private to the framework: how a window shows a menu bar with Qt.

class MenuBar;
class MenuItem;
class QMainWindow;
class QMenuBar;
class Window;

// Builds a QMenuBar (menus, actions, separators, mnemonics, shortcuts, check
// marks) for the bar inside mainWindow. The actions follow later changes of
// their items (Checked, Enabled, Text); choosing one runs
// DispatchMenuChoice for window through CallSystemCode; before a menu is
// shown, window.EnableMenuItems() runs.
QMenuBar* RealiseMenuBar(MenuBar& bar, Window& window, QMainWindow& mainWindow);

// A choice of item in window: the window's menu handler for the item's name
// if it has one and it answers true; else the item's own Action event
// (QuitMenuItem quits); else the framework's standard Edit items act on the
// focused text field. Returns whether something handled it.
bool DispatchMenuChoice(Window& window, MenuItem& item);

// Enables exactly the items of window's bar that have a handler in window,
// the Quit item, the top-level menus, and the standard Edit items that apply
// to the focused widget; disables the others.
void UpdateMenuEnabling(Window& window);
