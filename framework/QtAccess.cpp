#include "QtAccess.h"

#include "RectControlImpl.h"
#include "WindowImpl.h"

// QtAction and QtMenuBar live with the menus, in MenuRealisation.cpp.

QMainWindow* QtWindow(const Window& window)
{
    return window.Native().mainWindow.data();
}

QWidget* QtWidget(const RectControl& control)
{
    return control.Native().widget.data();
}
