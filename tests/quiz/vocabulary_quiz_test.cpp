// The quiz driven through its display effects, with scripted draws.
#include "QuizFixtures.h"
#include "ScriptedInteraction.h"
#include "VocabularyQuiz.h"

#include "Runtime.h"

#include <gtest/gtest.h>

namespace {

class QuizTest : public testing::Test {
protected:
    static void SetUpTestSuite() { InstallRegExModule(); }

    void Load(std::initializer_list<const char*> lines)
    {
        quiz.aVocabularyList.Clear();
        for (const char* line : lines)
            quiz.aVocabularyList.Append(line);
        quiz.lines = quiz.aVocabularyList.Count();
    }

    std::vector<std::string> List() const
    {
        std::vector<std::string> out;
        for (const String& line : quiz.aVocabularyList)
            out.push_back(line.ToStdString());
        return out;
    }

    ScriptedApp app;
    ScopedInteraction interaction;
    RecordingDisplay display;
    VocabularyQuiz quiz { display };
};

struct SplitCase {
    const char* line;
    const char* left;
    const char* right;
};

class SplitTest : public QuizTest, public testing::WithParamInterface<SplitCase> { };

TEST_P(SplitTest, AskedWordAndAnswerComeFromTheTwoSidesOfTheLine)
{
    const SplitCase& c = GetParam();
    Load({ c.line, "x,y", "z,w" });

    app.Rand().Script({ 0, 1, 2, 1 });
    quiz.PickAWord(false);
    EXPECT_EQ(quiz.sCurrentWordToAsk.ToStdString(), c.right);
    EXPECT_EQ(quiz.sTranslationOfCurrentWordToAsk.ToStdString(), c.left);
    EXPECT_EQ(display.askedWord, c.right);
    EXPECT_EQ(display.captions[1], c.left);

    app.Rand().Script({ 0, 1, 2, 1 });
    quiz.PickAWord(true);
    EXPECT_EQ(quiz.sCurrentWordToAsk.ToStdString(), c.left);
    EXPECT_EQ(quiz.sTranslationOfCurrentWordToAsk.ToStdString(), c.right);
}

INSTANTIATE_TEST_SUITE_P(Lines, SplitTest,
                         testing::Values(SplitCase { "house,Haus", "house", "Haus" },
                                         SplitCase { "word", "word", "word" },
                                         SplitCase { "one;two;three", "one", "three" },
                                         SplitCase { "cat, Katze", "cat", " Katze" },
                                         SplitCase { ",leading", "", "leading" },
                                         SplitCase { "trailing;", "trailing", "" },
                                         SplitCase { "tab\tTabulator", "tab", "Tabulator" },
                                         SplitCase { "a,b;c\td", "a", "d" },
                                         SplitCase { "Straße;улица", "Straße", "улица" },
                                         // Characters that some line-end conventions count stay in the words.
                                         SplitCase { "Haus,\vhouse", "Haus", "\vhouse" },
                                         SplitCase { "a\f b;c", "a\f b", "c" },
                                         SplitCase { "cat\u2028x,Katze", "cat\u2028x", "Katze" }));

TEST_F(QuizTest, WrongAnswersComeFromTheAnswerSideOfTheOtherTwoLines)
{
    Load({ "l0,r0", "l1,r1", "l2,r2" });
    app.Rand().Script({ 1, 2, 0, 1 });
    quiz.PickAWord(false);
    EXPECT_EQ(quiz.sCurrentWordToAsk, "r1");
    EXPECT_EQ(quiz.sAnotherWord, "l2");
    EXPECT_EQ(quiz.sYetAnotherWord, "l0");

    app.Rand().Script({ 1, 2, 0, 1 });
    quiz.PickAWord(true);
    EXPECT_EQ(quiz.sCurrentWordToAsk, "l1");
    EXPECT_EQ(quiz.sAnotherWord, "r2");
    EXPECT_EQ(quiz.sYetAnotherWord, "r0");
}

TEST_F(QuizTest, IndexDrawsRepeatUntilThreeDifferentLinesThenOneButtonDraw)
{
    Load({ "a,0", "b,1", "c,2", "d,3", "e,4" });
    app.Rand().Script({ 2, 2, 4, 2, 4, 0, 3 });
    const auto yieldsBefore = RuntimeBackgroundTaskCount();

    quiz.PickAWord(false);

    using Bounds = std::pair<Int32, Int32>;
    EXPECT_EQ(app.Rand().draws, (std::vector<Bounds> { { 0, 4 }, { 0, 4 }, { 0, 4 }, { 0, 4 }, { 0, 4 }, { 0, 4 }, { 1, 3 } }));
    EXPECT_EQ(quiz.iLastWordChosen, 2);
    EXPECT_EQ(quiz.sAnotherWord, "e");
    EXPECT_EQ(quiz.sYetAnotherWord, "a");
    EXPECT_EQ(quiz.iCorrectButton, 3);
    // Once per index draw and once per line drawn.
    EXPECT_EQ(RuntimeBackgroundTaskCount() - yieldsBefore, 6u + 3u);
}

TEST_F(QuizTest, RightAnswerGoesOnItsButtonAndWrongOnesFillTheOthersInOrder)
{
    const struct {
        Int32 correct;
        std::vector<std::string> order;
        const char* captions[3];
    } cases[] = {
        { 1, { "caption1=right", "caption2=wrong1", "caption3=wrong2" }, { "right", "wrong1", "wrong2" } },
        { 2, { "caption2=right", "caption1=wrong1", "caption3=wrong2" }, { "wrong1", "right", "wrong2" } },
        { 3, { "caption3=right", "caption1=wrong1", "caption2=wrong2" }, { "wrong1", "wrong2", "right" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.correct);
        Load({ "right,asked", "wrong1,x", "wrong2,y" });
        display.effects.clear();
        app.Rand().Script({ 0, 1, 2, c.correct });
        quiz.PickAWord(false);

        EXPECT_EQ(display.effects,
                  (std::vector<std::string> { "word=asked", c.order[0], c.order[1], c.order[2] }));
        for (int b = 1; b <= 3; ++b)
            EXPECT_EQ(display.captions[b], c.captions[b - 1]);
        EXPECT_EQ(quiz.iCorrectButton, c.correct);
    }
}

TEST_F(QuizTest, ButtonViewsSwitchAndTheWindowTakesTheFocus)
{
    quiz.MakeButtonsVisible(true);
    EXPECT_EQ(display.effects, (std::vector<std::string> { "visible1=true", "visible2=true", "visible3=true",
                                                           "know=false", "focus=" }));
    quiz.MakeButtonsVisible(false);
    EXPECT_FALSE(display.answerVisible[1] || display.answerVisible[2] || display.answerVisible[3]);
    EXPECT_TRUE(display.knowVisible);
    EXPECT_EQ(display.focusCount, 2);
}

TEST_F(QuizTest, RightAnswerRemovesTheLineUpdatesTheCounterAndAsksAgain)
{
    Load({ "w0,t0", "w1,t1", "w2,t2", "w3,t3", "w4,t4", "w5,t5", "w6,t6", "w7,t7", "w8,t8", "w9,t9", "w10,t10",
           "w11,t11" });
    app.Rand().Script({ 5, 1, 2, 2 });
    quiz.PickAWord(false);
    quiz.MakeButtonsVisible(true);

    app.Rand().Script({ 0, 1, 2, 1 });
    quiz.CheckAnswer(2);

    EXPECT_EQ(display.result, "Last word was correct!");
    EXPECT_EQ(quiz.aVocabularyList.Count(), 11);
    EXPECT_EQ(quiz.aVocabularyList.IndexOf("w5,t5"), -1);
    EXPECT_EQ(quiz.aVocabularyList(5), "w6,t6");
    EXPECT_EQ(display.counter, "11/12");
    EXPECT_TRUE(display.knowVisible);
    EXPECT_FALSE(display.answerVisible[2]);
    EXPECT_EQ(display.askedWord, "t0");
    EXPECT_TRUE(interaction->Messages().empty());
}

TEST_F(QuizTest, WrongAnswerKeepsTheLineAndTheCounterAndAsksAgain)
{
    Load({ "a,1", "b,2", "c,3", "d,4" });
    display.counter = "4/4";
    app.Rand().Script({ 3, 1, 2, 1 });
    quiz.PickAWord(false);

    app.Rand().Script({ 3, 0, 1, 2 });
    quiz.CheckAnswer(3);

    EXPECT_EQ(display.result, "Last word was WRONG!");
    EXPECT_EQ(interaction->Messages(), (std::vector<std::string> { "You are so wrong!" }));
    EXPECT_EQ(List(), (std::vector<std::string> { "a,1", "b,2", "c,3", "d,4" }));
    EXPECT_EQ(display.counter, "4/4");
    // The same line may be asked again at once, with a new button draw.
    EXPECT_EQ(quiz.iLastWordChosen, 3);
    EXPECT_EQ(quiz.iCorrectButton, 2);
    EXPECT_TRUE(display.knowVisible);
}

TEST_F(QuizTest, TheWordAskedAfterEitherVerdictComesFromTheChosenSide)
{
    const struct {
        bool leftAsked;
        Int32 clicked;   // button 1 is right
        const char* asked;
        const char* captions[3];
    } cases[] = {
        { true, 1, "l2", { "r0", "r2", "r1" } },
        { true, 3, "l2", { "r0", "r2", "r1" } },
        { false, 1, "r2", { "l0", "l2", "l1" } },
        { false, 3, "r2", { "l0", "l2", "l1" } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "left asked " << c.leftAsked << ", button " << c.clicked);
        Load({ "l0,r0", "l1,r1", "l2,r2", "l3,r3" });
        quiz.tfLeftWordIsQuestion = c.leftAsked;
        app.Rand().Script({ 3, 0, 1, 1 });
        quiz.PickAWord(c.leftAsked);

        // Index 2 is "l2,r2" whether or not the right answer took "l3,r3" out.
        app.Rand().Script({ 2, 0, 1, 2 });
        quiz.CheckAnswer(c.clicked);

        EXPECT_EQ(display.askedWord, c.asked);
        for (int b = 1; b <= 3; ++b)
            EXPECT_EQ(display.captions[b], c.captions[b - 1]);
    }
}

TEST_F(QuizTest, TheQuizEndsWhenTwoLinesAreLeftListingThem)
{
    Load({ "one,eins", "two,zwei", "three,drei" });
    display.counter = "3/5";
    app.Rand().Script({ 1, 2, 0, 3 });
    quiz.PickAWord(false);
    quiz.MakeButtonsVisible(true);
    const auto drawsBefore = app.Rand().draws.size();
    display.effects.clear();

    quiz.CheckAnswer(3);

    const std::string eol = EndOfLine().ToStdString();
    EXPECT_EQ(interaction->Messages(),
              (std::vector<std::string> { "Your remaining words are" + eol + eol + "one,eins" + eol + "three,drei" }));
    EXPECT_EQ(display.effects, (std::vector<std::string> { "result=Last word was correct!", "visible1=false",
                                                           "visible2=false", "visible3=false", "know=true", "focus=",
                                                           "know=false" }));
    EXPECT_EQ(display.counter, "3/5");
    EXPECT_EQ(display.askedWord, "zwei");
    EXPECT_EQ(app.Rand().draws.size(), drawsBefore);
    EXPECT_EQ(List(), (std::vector<std::string> { "one,eins", "three,drei" }));
}

TEST_F(QuizTest, EqualLinesAreDifferentEntriesAndOnlyTheRightButtonCounts)
{
    Load({ "same,gleich", "same,gleich", "other,anders" });
    app.Rand().Script({ 0, 1, 2, 2 });
    quiz.PickAWord(false);
    EXPECT_EQ(display.captions[1], "same");
    EXPECT_EQ(display.captions[2], "same");

    app.Rand().Script({ 0, 1, 2, 1 });
    quiz.CheckAnswer(1);
    EXPECT_EQ(display.result, "Last word was WRONG!");
    EXPECT_EQ(quiz.aVocabularyList.Count(), 3);
}

TEST_F(QuizTest, FiveLinesCountDownToThreeThenEnd)
{
    Load({ "a,1", "b,2", "c,3", "d,4", "e,5" });
    display.counter = "5/5";
    std::vector<std::string> counters;
    quiz.PickAWord(false);   // every answer after this picks the next word itself
    for (int answer = 0; answer < 3; ++answer) {
        quiz.CheckAnswer(quiz.iCorrectButton == 1 ? 2 : 1);   // wrong: nothing counts down
        EXPECT_EQ(display.counter, counters.empty() ? "5/5" : counters.back());
        quiz.CheckAnswer(quiz.iCorrectButton);
        counters.push_back(display.counter);
    }
    EXPECT_EQ(counters, (std::vector<std::string> { "4/5", "3/5", "3/5" }));
    EXPECT_EQ(quiz.aVocabularyList.Count(), 2);
    EXPECT_FALSE(display.knowVisible);
}

TEST(QuizWithoutApp, DrawingBeforeTheRandomSourceExistsRaisesNilObject)
{
    InstallRegExModule();
    RecordingDisplay display;
    VocabularyQuiz quiz { display };
    quiz.aVocabularyList = Array<String> { "a,1", "b,2", "c,3" };
    ExpectRaise<NilObjectException>([&] { quiz.PickAWord(false); },
                                    "A nil object was used where an object was expected");
}

} // namespace
