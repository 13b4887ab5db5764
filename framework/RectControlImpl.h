#pragma once

// Private to the framework: the Qt side of a control.

#include "RectControl.h"
#include "Settings.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

struct RectControl::Impl {
    explicit Impl(QWidget* w) : widget(w), connections(std::make_unique<QObject>()) { }

    template <class W>
    W* As() const { return static_cast<W*>(widget.data()); }

    // Owned by its Qt parent, the window's content area.
    QPointer<QWidget> widget;
    // The context of every connection to the widget's signals, so that they
    // end with the control even while the widget waits for deletion.
    std::unique_ptr<QObject> connections;

    Int32 index = 0, tabPanelIndex = 0;
    bool lockLeft = false, lockTop = false, lockRight = false, lockBottom = false;
    bool tabStop = true, readOnly = false;
    Int32 textAlign = 0;      // a label's
    bool multiline = false;   // a label's
    String text;   // a field's or label's text, a button's caption
    String textFont;
    bool bold = false, italic = false, underline = false;
    Colour textColour { 0, 0, 0 }, backColour { 255, 255, 255 };
};

// Orders the tab chain of a window's content area by the controls'
// TabIndex, creation order among equals.
void ApplyTabOrder(QWidget* content);

// A dynamic property on the QPushButton of a Cancel button: Escape clicks it.
inline constexpr char kCancelButtonProperty[] = "veltoCancelButton";
