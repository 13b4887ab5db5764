#pragma once

#include "MenuItem.h"
#include "QuizDisplay.h"
#include "RectControl.h"
#include "VocabularyQuiz.h"
#include "Window.h"

#include <optional>

// The main window: the asked word, "I know! I know!", three answer buttons,
// "Open Vocabulary File", the verdict and the counter. It carries the quiz
// and shows it through its controls. One shared instance per run.
class VeltoWindow : public Window, private QuizDisplay {
public:
    static constexpr const char* kClassName = "VeltoWindow.VeltoWindow";
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    // The shared window; created, with its controls and handlers, when there
    // is none.
    static Ref<VeltoWindow> Shared();

    // Creation events.
    void Layout();
    void CreateControls();
    void CreateControls0();
    void AddMenuHandlers(Window& window);
    bool Event_CancelClose(bool appQuitting);
    void Event_Open();

    // The controls, found by name on every use.
    Ref<TextField> textRandomWord() const;
    Ref<PushButton> PushButton1() const;
    Ref<PushButton> PushButton2() const;
    Ref<PushButton> PushButton3() const;
    Ref<Label> lblResult() const;
    Ref<PushButton> pushOpenFile() const;
    Ref<PushButton> pushKnow() const;
    Ref<Label> lblNumber() const;

    void PushButton1_Action(PushButton& button);
    void PushButton2_Action(PushButton& button);
    void PushButton3_Action(PushButton& button);
    void pushOpenFile_Action(PushButton& button);
    void pushKnow_Action(PushButton& button);

    // The items of the window's menu bar, looked up by name on every use;
    // nil when the bar has no such item.
    Ref<MenuItem> Options() const;
    Ref<MenuItem> menuUseLeftWordAsQuestion() const;
    Ref<MenuItem> EditMenu() const;
    Ref<MenuItem> EditSelectAll() const;
    Ref<MenuItem> EditSeparator2() const;
    Ref<MenuItem> EditClear() const;
    Ref<MenuItem> EditPaste() const;
    Ref<MenuItem> EditCopy() const;
    Ref<MenuItem> EditCut() const;
    Ref<MenuItem> EditSeparator1() const;
    Ref<MenuItem> EditUndo() const;
    Ref<MenuItem> FileMenu() const;
    Ref<QuitMenuItem> FileQuit() const;
    Ref<MenuItem> menuOpen() const;

    bool menuOpen_Action();
    bool menuUseLeftWordAsQuestion_Action();

    // The quiz state, for tests and for the framework's introspection.
    const VocabularyQuiz& Quiz() const { return *quiz_; }

private:
    void CheckAnswer(Int32 button) { quiz_->CheckAnswer(button); }
    void DisplayOpenFile() { quiz_->DisplayOpenFile(); }
    void MakeButtonsVisible(bool answersShown) { quiz_->MakeButtonsVisible(answersShown); }

    Ref<PushButton> AnswerButton(Int32 number) const;
    Ref<MenuItem> MenuItemNamed(const char* name) const;

    // QuizDisplay
    void SetAskedWord(const String& word) override;
    void SetAnswerCaption(Int32 button, const String& text) override;
    void SetAnswerButtonVisible(Int32 button, bool visible) override;
    void SetKnowButtonVisible(bool visible) override;
    void SetResult(const String& text) override;
    void SetCounter(const String& text) override;
    void FocusWindow() override;
    Ref<Window> DialogOwner() override;

    // Made by the class's initialiser, released by its finaliser.
    std::optional<VocabularyQuiz> quiz_;
};
