#pragma once

#include "String.h"
#include "Window.h"

// The display effects through which the quiz shows anything. The window
// supplies them with its controls; tests supply a recording stand-in.
class QuizDisplay {
public:
    virtual ~QuizDisplay() = default;

    virtual void SetAskedWord(const String& word) = 0;                  // textRandomWord
    virtual void SetAnswerCaption(Int32 button, const String& text) = 0;  // PushButton1..3
    virtual void SetAnswerButtonVisible(Int32 button, bool visible) = 0;
    virtual void SetKnowButtonVisible(bool visible) = 0;                  // pushKnow
    virtual void SetResult(const String& text) = 0;                       // lblResult
    virtual void SetCounter(const String& text) = 0;                      // lblNumber
    // The main window takes the keyboard focus, so that no control holds it.
    virtual void FocusWindow() = 0;
    // The window that the open-file dialog belongs to.
    virtual Ref<Window> DialogOwner() = 0;
};
