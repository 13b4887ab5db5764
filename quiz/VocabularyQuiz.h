#pragma once

#include "Array.h"
#include "FolderItem.h"
#include "QuizDisplay.h"
#include "String.h"

// The state of a running quiz and the operations that drive it: picking a
// word with two wrong answers, showing it, switching between the question
// and the answers, judging an answer, and loading a vocabulary file.
class VocabularyQuiz {
public:
    explicit VocabularyQuiz(QuizDisplay& display) : display_(display) { }

    // Draws three different lines; the first gives the asked word and the
    // right answer, the others a wrong answer each, from the answer side.
    void PickAWord(bool leftWordIsQuestion);
    // Shows the asked word and spreads the answers over the three buttons,
    // the right one on button iCorrectButton.
    void DisplayAWord();
    // True: the answer buttons, without "I know! I know!"; false: the reverse.
    void MakeButtonsVisible(bool answersShown);
    void CheckAnswer(Int32 button);

    // Asks for a file in an open-file dialog and loads it; cancel does nothing.
    void DisplayOpenFile();
    void OpenVocabularyFile(const Ref<FolderItem>& file);

    // The vocabulary lines still asked, each the whole trimmed line as read.
    Array<String> aVocabularyList;
    Int32 iCorrectButton = 0;
    Int32 iLastWordChosen = 0;
    Int32 lines = 0;   // lines kept from the file loaded last
    String sAnotherWord;
    String sCurrentWordToAsk;
    String sTranslationOfCurrentWordToAsk;
    String sYetAnotherWord;
    bool tfLeftWordIsQuestion = false;

private:
    // One question drawn from a list and split, not yet stored or shown.
    struct Question {
        Int32 index = 0;   // of the asked line
        String asked, answer, another, yetAnother;
        Int32 correctButton = 0;
    };
    // Every draw and split of a question, in the quiz's draw order (the
    // three lines, then the button); changes nothing, so a failure in it
    // leaves the quiz under way as it was.
    Question DrawAQuestion(const Array<String>& list, bool leftWordIsQuestion) const;
    // Stores the question and shows it; nothing here can fail.
    void Ask(const Question& question);

    QuizDisplay& display_;
};

// The vocabulary lines of a file: trimmed, with comments ("#" first) and
// lines under three characters left out, in file order. Raises IOException
// when the file cannot be opened or read.
Array<String> ReadVocabularyLines(const Ref<FolderItem>& file);
