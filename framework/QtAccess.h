#pragma once

// The Qt objects behind framework objects: for the framework's own sources and
// for tests that drive real widgets. The system's code never includes this.

class QAction;
class QMainWindow;
class QMenuBar;
class QWidget;
class MenuItem;
class RectControl;
class Window;

QMainWindow* QtWindow(const Window& window);
QWidget* QtWidget(const RectControl& control);
// The action or menu action that realises the item in the window's menu bar,
// nullptr when the window shows no such item.
QAction* QtAction(const Window& window, const MenuItem& item);
QMenuBar* QtMenuBar(const Window& window);
