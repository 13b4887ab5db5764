#include "VocabularyQuiz.h"

#include "App.h"
#include "MsgBox.h"
#include "OpenDialog.h"
#include "RegEx.h"
#include "Runtime.h"
#include "TextInputStream.h"

namespace {

Int32 Draw(Int32 low, Int32 high)
{
    return App::Shared()->rand->InRange(low, high);
}

// The separator class holds a backslash and a "t", the pattern's TAB.
constexpr const char* kLeftWordPattern = "[,;\\t].*";
constexpr const char* kRightWordPattern = ".*[,;\\t]";

} // namespace

void VocabularyQuiz::PickAWord(bool leftWordIsQuestion)
{
    Ask(DrawAQuestion(aVocabularyList, leftWordIsQuestion));
}

VocabularyQuiz::Question VocabularyQuiz::DrawAQuestion(const Array<String>& list, bool leftWordIsQuestion) const
{
    Ref<RegEx> re = New<RegEx>();
    const Int32 lastIndex = list.LastIndex();
    Array<Int32> drawn;
    Question question;

    for (Int32 pick = 0; pick < 3; ++pick) {
        Int32 index = Draw(0, lastIndex);
        RuntimeBackgroundTask();
        while (drawn.IndexOf(index) != -1) {
            index = Draw(0, lastIndex);
            RuntimeBackgroundTask();
        }
        drawn.Append(index);

        const String& line = list(index);
        re->SearchPattern(kLeftWordPattern);
        String leftWord = re->Replace(line);
        re->SearchPattern(kRightWordPattern);
        String rightWord = re->Replace(line);
        const String& asked = leftWordIsQuestion ? leftWord : rightWord;
        const String& answer = leftWordIsQuestion ? rightWord : leftWord;

        if (pick == 0) {
            question.asked = asked;
            question.answer = answer;
            question.index = index;
        } else if (pick == 1) {
            question.another = answer;
        } else {
            question.yetAnother = answer;
        }
        RuntimeBackgroundTask();
    }

    question.correctButton = Draw(1, 3);
    return question;
}

void VocabularyQuiz::Ask(const Question& question)
{
    sCurrentWordToAsk = question.asked;
    sTranslationOfCurrentWordToAsk = question.answer;
    iLastWordChosen = question.index;
    sAnotherWord = question.another;
    sYetAnotherWord = question.yetAnother;
    iCorrectButton = question.correctButton;
    DisplayAWord();
}

void VocabularyQuiz::DisplayAWord()
{
    display_.SetAskedWord(sCurrentWordToAsk);

    // The right answer on its button; the wrong ones, in draw order, on the
    // other two from the lower number up.
    display_.SetAnswerCaption(iCorrectButton, sTranslationOfCurrentWordToAsk);
    const Int32 first = iCorrectButton == 1 ? 2 : 1;
    const Int32 second = iCorrectButton == 3 ? 2 : 3;
    display_.SetAnswerCaption(first, sAnotherWord);
    display_.SetAnswerCaption(second, sYetAnotherWord);
}

void VocabularyQuiz::MakeButtonsVisible(bool answersShown)
{
    display_.SetAnswerButtonVisible(1, answersShown);
    display_.SetAnswerButtonVisible(2, answersShown);
    display_.SetAnswerButtonVisible(3, answersShown);
    display_.SetKnowButtonVisible(!answersShown);
    display_.FocusWindow();
}

void VocabularyQuiz::CheckAnswer(Int32 button)
{
    if (button != iCorrectButton) {
        display_.SetResult("Last word was WRONG!");
        MsgBox("You are so wrong!");
        MakeButtonsVisible(false);
        PickAWord(tfLeftWordIsQuestion);
        return;
    }

    display_.SetResult("Last word was correct!");
    aVocabularyList.Remove(iLastWordChosen);

    if (aVocabularyList.LastIndex() < 2) {
        MakeButtonsVisible(false);
        display_.SetKnowButtonVisible(false);
        MsgBox(String("Your remaining words are") + EndOfLine() + EndOfLine() + aVocabularyList(0) + EndOfLine()
               + aVocabularyList(1));
        return;
    }

    display_.SetCounter(Str(aVocabularyList.LastIndex() + 1) + "/" + Str(lines));
    MakeButtonsVisible(false);
    PickAWord(tfLeftWordIsQuestion);
}

void VocabularyQuiz::DisplayOpenFile()
{
    Ref<OpenDialog> dialog = New<OpenDialog>();
    dialog->InitialDirectory(SpecialFolder::Documents());
    dialog->Title("Select a Vocabulary File");
    Ref<FolderItem> file = dialog->ShowModalWithin(display_.DialogOwner());
    if (file)
        OpenVocabularyFile(file);
}

Array<String> ReadVocabularyLines(const Ref<FolderItem>& file)
{
    Ref<TextInputStream> stream = TextInputStream::Open(file);
    Array<String> kept;
    do {
        String line = Trim(stream->ReadLine());
        if (!(Left(line, 1) == "#") && Len(line) >= 3)
            kept.Append(std::move(line));
        RuntimeBackgroundTask();
    } while (!stream->EndOfFile());
    return kept;
}

// Opening a file is all or nothing: the read, the three-line test and the
// first question's draws and splits all come before anything stored or shown
// changes, so a file that is refused or fails anywhere on the way leaves the
// quiz under way, its list, its count and every control as they were.
void VocabularyQuiz::OpenVocabularyFile(const Ref<FolderItem>& file)
{
    Array<String> kept = ReadVocabularyLines(file);
    if (kept.Count() < 3) {
        MsgBox("You need at least three words in the file.");
        return;
    }
    const Question first = DrawAQuestion(kept, tfLeftWordIsQuestion);
    const String counter = Str(kept.Count()) + "/" + Str(kept.Count());

    aVocabularyList.Swap(kept);
    lines = aVocabularyList.Count();
    display_.SetCounter(counter);
    MakeButtonsVisible(false);
    Ask(first);
}
