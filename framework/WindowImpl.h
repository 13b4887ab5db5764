#pragma once

// Private to the framework: the Qt side of a Window.

#include "Settings.h"
#include "Window.h"

#include <QMainWindow>
#include <QPointer>
#include <QWidget>

struct Window::Impl {
    explicit Impl(Window& owner);
    ~Impl();

    void ApplyFlags();
    void ApplyGeometry();
    void ApplyBackColour();
    void ApplyMenuBarVisible();
    void ShowNow();

    Window& owner;
    // Qt owns both; they may go before the window does (deleteLater on close).
    QPointer<QMainWindow> mainWindow;
    QPointer<QWidget> content;

    String title;
    Int32 width = 300, height = 300;
    Int32 minWidth = 0, minHeight = 0, maxWidth = 32000, maxHeight = 32000;
    Int32 placement = 0, frame = 0;
    bool closeButton = true, minimizeButton = true, maximizeButton = true;
    bool fullScreen = false, menuBarVisible = true, composite = false, liveResize = true;
    bool hasBackColor = false;
    Colour backColor { 255, 255, 255 };

    bool constructed = false;     // Constructor has run (or is running)
    bool closing = false;         // CancelClose is being raised
    bool deleteScheduled = false; // the Qt window goes with deleteLater
};
