// One question cycle: a right answer, which removes the line, updates the
// counter and picks the next word with its two wrong answers.
#include "QuizFixtures.h"
#include "VocabularyQuiz.h"

#include <benchmark/benchmark.h>

namespace {

class NullDisplay : public QuizDisplay {
public:
    void SetAskedWord(const String&) override { }
    void SetAnswerCaption(Int32, const String&) override { }
    void SetAnswerButtonVisible(Int32, bool) override { }
    void SetKnowButtonVisible(bool) override { }
    void SetResult(const String&) override { }
    void SetCounter(const String&) override { }
    void FocusWindow() override { }
    Ref<Window> DialogOwner() override { return nullptr; }
};

void Fill(VocabularyQuiz& quiz, Int32 count)
{
    quiz.aVocabularyList.Clear();
    for (Int32 i = 0; i < count; ++i)
        quiz.aVocabularyList.Append(String("word" + std::to_string(i) + ", translation " + std::to_string(i)));
    quiz.lines = count;
}

void QuestionCycle(benchmark::State& state)
{
    InstallRegExModule();
    ScriptedApp app;
    NullDisplay display;
    VocabularyQuiz quiz { display };
    const auto lines = static_cast<Int32>(state.range(0));
    Fill(quiz, lines);
    quiz.PickAWord(false);

    for (auto _ : state) {
        quiz.CheckAnswer(quiz.iCorrectButton);
        if (quiz.aVocabularyList.Count() < lines - lines / 10 || quiz.aVocabularyList.Count() < 3) {
            state.PauseTiming();
            Fill(quiz, lines);
            quiz.PickAWord(false);
            state.ResumeTiming();
        }
    }
    state.counters["lines"] = static_cast<double>(lines);
}

} // namespace

BENCHMARK(QuestionCycle)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
