// Reading vocabulary files: the line rules, and what a load does to the quiz.
#include "QuizFixtures.h"
#include "ScriptedInteraction.h"
#include "VocabularyQuiz.h"

#include "Exceptions.h"
#include "FolderItem.h"
#include "Plugin.h"
#include "TextInputStreamTuning.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class TempFiles {
public:
    TempFiles() : dir_(fs::temp_directory_path() / ("velto-load-" + std::to_string(::getpid())))
    {
        fs::create_directories(dir_);
    }
    ~TempFiles() { fs::remove_all(dir_); }

    Ref<FolderItem> Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return Item(name);
    }
    Ref<FolderItem> Item(const std::string& name) { return New<FolderItem>(String((dir_ / name).string())); }
    const fs::path& Dir() const { return dir_; }

private:
    fs::path dir_;
};

std::vector<std::string> Strings(const Array<String>& list)
{
    std::vector<std::string> out;
    for (const String& line : list)
        out.push_back(line.ToStdString());
    return out;
}

struct LineCase {
    const char* what;
    std::string bytes;
    std::vector<std::string> kept;
};

TEST(VocabularyLines, FollowTheLineRules)
{
    const LineCase cases[] = {
        { "empty file", "", {} },
        { "comment after blanks", "   # a note, ignored\nabc\n", { "abc" } },
        { "hash after the first character", "a#b\n", { "a#b" } },
        { "two characters ignored, three kept", "ab\na,b\n", { "a,b" } },
        { "three non-ASCII letters kept, two not", "äöü\nßß\n", { "äöü" } },
        { "white space only", "   \t  \n\n", {} },
        { "trimmed at the ends only", "  cat , Katze \t\n", { "cat , Katze" } },
        { "last line without line end", "abc\ndef", { "abc", "def" } },
        { "repeated line counted twice", "abc\nabc\n", { "abc", "abc" } },
        { "CRLF", "one,1\r\ntwo,2\r\n", { "one,1", "two,2" } },
        { "CR", "one,1\rtwo,2\r", { "one,1", "two,2" } },
        { "byte-order mark dropped", "\xEF\xBB\xBF#comment\nabc\n", { "abc" } },
        { "bad UTF-8 replaced, line kept whole", "a\xFFz;b\n", { "a\xEF\xBF\xBDz;b" } },
        { "no separator still a line", "word\n", { "word" } },
    };
    TempFiles files;
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Strings(ReadVocabularyLines(files.Write("lines.txt", c.bytes))), c.kept);
    }
}

TEST(VocabularyLines, FilesThatCannotBeReadRaiseIOException)
{
    TempFiles files;
    const std::string missing = (files.Dir() / "missing.txt").string();
    ExpectRaise<IOException>([&] { ReadVocabularyLines(files.Item("missing.txt")); },
                             "Cannot open \"" + missing + "\": No such file or directory");
    ExpectRaise<IOException>([&] { ReadVocabularyLines(New<FolderItem>(String(files.Dir().string()))); },
                             "Cannot open \"" + files.Dir().string() + "\": Is a directory");
}

class LoadingTest : public testing::Test {
protected:
    static void SetUpTestSuite() { InstallRegExModule(); }

    void StartQuizOn(const std::string& text)
    {
        quiz.OpenVocabularyFile(files.Write("first.txt", text));
        display.effects.clear();
    }

    TempFiles files;
    ScriptedApp app;
    ScopedInteraction interaction;
    RecordingDisplay display;
    VocabularyQuiz quiz { display };
};

TEST_F(LoadingTest, AGoodFileSetsTheCounterShowsTheQuestionAndAsksAWord)
{
    app.Rand().Script({ 1, 0, 2, 2 });
    quiz.OpenVocabularyFile(files.Write("v.txt", "# animals\ncat,Katze\n\ndog,Hund\nbird;Vogel\n"));

    EXPECT_EQ(Strings(quiz.aVocabularyList), (std::vector<std::string> { "cat,Katze", "dog,Hund", "bird;Vogel" }));
    EXPECT_EQ(quiz.lines, 3);
    EXPECT_EQ(display.effects,
              (std::vector<std::string> { "counter=3/3", "visible1=false", "visible2=false", "visible3=false",
                                          "know=true", "focus=", "word=Hund", "caption2=dog", "caption1=cat",
                                          "caption3=bird" }));
    EXPECT_TRUE(interaction->Messages().empty());
}

TEST_F(LoadingTest, FewerThanThreeLinesAreRefusedAndNothingElseIsTouched)
{
    std::size_t messages = 0;
    for (const char* text : { "", "# only a comment\n", "ab\n\n  \n", "one,1\ntwo,2\n" }) {
        SCOPED_TRACE(text);
        quiz.OpenVocabularyFile(files.Write("short.txt", text));
        ASSERT_EQ(interaction->Messages().size(), ++messages);
        EXPECT_EQ(interaction->Messages().back(), "You need at least three words in the file.");
        EXPECT_TRUE(display.effects.empty());
        EXPECT_TRUE(app.Rand().draws.empty());
    }
}

TEST_F(LoadingTest, ARefusedOrUnreadableFileLeavesTheQuizUnderWayAsItWas)
{
    StartQuizOn("a,1\nb,2\nc,3\nd,4\n");
    const auto before = Strings(quiz.aVocabularyList);
    const Int32 asked = quiz.iLastWordChosen;
    const Int32 correct = quiz.iCorrectButton;

    quiz.OpenVocabularyFile(files.Write("short.txt", "x,y\n"));
    ExpectRaise<IOException>([&] { quiz.OpenVocabularyFile(files.Item("missing.txt")); },
                             "Cannot open \"" + (files.Dir() / "missing.txt").string() + "\": No such file or directory");

    EXPECT_EQ(Strings(quiz.aVocabularyList), before);
    EXPECT_EQ(quiz.lines, 4);
    EXPECT_EQ(quiz.iLastWordChosen, asked);
    EXPECT_EQ(quiz.iCorrectButton, correct);
    EXPECT_TRUE(display.effects.empty());

    // The quiz goes on: a right answer counts down from the old file.
    quiz.CheckAnswer(quiz.iCorrectButton);
    EXPECT_EQ(display.counter, "3/4");
}

// Where opening a file can fail after the dialog, and how each fault is
// staged; a fault undone at the end of its case.
struct OpenFault {
    const char* where;
    const char* exceptionClass;
    void (*stage)(ScriptedRandom& rand);
};

// The module's entries, less the one named (all of them for nullptr).
PluginEntryTable RegExEntriesWithout(const char* missing)
{
    return ResolvePluginEntries(RegExEntryNames(), [missing](std::string_view name) -> PluginEntry {
        return missing && name != missing ? LookupPluginEntry(name) : nullptr;
    });
}

// The file each fault is tried on: three vocabulary lines, then a longer one.
const char kFaultFile[] = "e,5\nf,6\ng,7\nhouse,a longer line\n";

const OpenFault kOpenFaults[] = {
    { "a file over the size bound", "IOException", [](ScriptedRandom&) { StreamTuning({ 4, 64, 16 }); } },
    { "a read that fails part way", "IOException", [](ScriptedRandom&) { StreamTuning({ 4, 16 }); } },
    { "no regular-expression module", "FunctionNotFoundException",
      [](ScriptedRandom&) { InstallRegExEntries(RegExEntriesWithout(nullptr)); } },
    { "the first split", "FunctionNotFoundException",
      [](ScriptedRandom&) { InstallRegExEntries(RegExEntriesWithout("RegEx.Replace(TargetString as String) as String")); } },
    { "the first draw", "RuntimeException", [](ScriptedRandom& rand) { rand.Script({ ScriptedRandom::kFail }); } },
    { "the button draw", "RuntimeException", [](ScriptedRandom& rand) { rand.Script({ 0, 1, 2, ScriptedRandom::kFail }); } },
};

auto QuizState(const VocabularyQuiz& quiz)
{
    return std::make_tuple(Strings(quiz.aVocabularyList), quiz.lines, quiz.iCorrectButton, quiz.iLastWordChosen,
                           quiz.sCurrentWordToAsk.ToStdString(), quiz.sTranslationOfCurrentWordToAsk.ToStdString(),
                           quiz.sAnotherWord.ToStdString(), quiz.sYetAnotherWord.ToStdString());
}

TEST_F(LoadingTest, AFailureAnywhereInOpeningAFileChangesNothing)
{
    const auto file = files.Write("fault.txt", kFaultFile);
    for (bool underWay : { false, true }) {
        for (const OpenFault& fault : kOpenFaults) {
            SCOPED_TRACE(std::string(fault.where) + (underWay ? ", during a quiz" : ", with no quiz"));
            RecordingDisplay shown;
            VocabularyQuiz fresh { shown };
            if (underWay) {
                fresh.OpenVocabularyFile(files.Write("first.txt", "a,1\nb,2\nc,3\nd,4\n"));
                shown.effects.clear();
            }
            const auto before = QuizState(fresh);

            fault.stage(app.Rand());
            try {
                fresh.OpenVocabularyFile(file);
                ADD_FAILURE() << "opening did not fail";
            } catch (const RuntimeException& e) {
                EXPECT_STREQ(e.ClassName(), fault.exceptionClass) << e.Message();
            }
            StreamTuning(TextInputStreamTuning::Default());
            InstallRegExModule();

            EXPECT_EQ(QuizState(fresh), before);
            EXPECT_TRUE(shown.effects.empty());
            EXPECT_TRUE(interaction->Messages().empty());
            if (underWay) {
                fresh.CheckAnswer(fresh.iCorrectButton);   // the old quiz goes on
                EXPECT_EQ(shown.counter, "3/4");
            } else {
                fresh.OpenVocabularyFile(file);   // and the file opens once the fault is gone
                EXPECT_EQ(shown.counter, "4/4");
            }
        }
    }
}

TEST_F(LoadingTest, AGoodFileDuringAQuizStartsAfreshAndKeepsTheVerdict)
{
    StartQuizOn("a,1\nb,2\nc,3\nd,4\n");
    quiz.MakeButtonsVisible(true);
    quiz.CheckAnswer(quiz.iCorrectButton);
    ASSERT_EQ(display.result, "Last word was correct!");

    quiz.OpenVocabularyFile(files.Write("second.txt", "e,5\nf,6\ng,7\nh,8\ni,9\n"));

    EXPECT_EQ(quiz.lines, 5);
    EXPECT_EQ(display.counter, "5/5");
    EXPECT_TRUE(display.knowVisible);
    EXPECT_FALSE(display.answerVisible[1]);
    EXPECT_EQ(display.result, "Last word was correct!");
    EXPECT_EQ(Strings(quiz.aVocabularyList), (std::vector<std::string> { "e,5", "f,6", "g,7", "h,8", "i,9" }));
}

TEST_F(LoadingTest, AGoodFileAfterTheEndStartsANewQuiz)
{
    StartQuizOn("a,1\nb,2\nc,3\n");
    quiz.CheckAnswer(quiz.iCorrectButton);
    ASSERT_FALSE(display.knowVisible);

    quiz.OpenVocabularyFile(files.Write("next.txt", "d,4\ne,5\nf,6\ng,7\n"));
    EXPECT_EQ(display.counter, "4/4");
    EXPECT_TRUE(display.knowVisible);
    EXPECT_FALSE(display.answerVisible[1] || display.answerVisible[2] || display.answerVisible[3]);
    EXPECT_EQ(quiz.aVocabularyList.Count(), 4);
    EXPECT_EQ(display.result, "Last word was correct!");
}

TEST_F(LoadingTest, TheDialogStartsInDocumentsEveryTimeAndCancelDoesNothing)
{
    auto chosen = files.Write("chosen.txt", "a,1\nb,2\nc,3\n");
    interaction->AnswerFile(chosen->NativePath().ToStdString());
    interaction->AnswerCancel();

    quiz.DisplayOpenFile();
    EXPECT_EQ(quiz.lines, 3);
    display.effects.clear();
    quiz.DisplayOpenFile();
    EXPECT_TRUE(display.effects.empty());
    EXPECT_EQ(quiz.lines, 3);

    const auto documents = SpecialFolder::Documents()->NativePath().ToStdString();
    ASSERT_EQ(interaction->FileRequests().size(), 2u);
    for (const auto& request : interaction->FileRequests()) {
        EXPECT_EQ(request.title, "Select a Vocabulary File");
        EXPECT_EQ(request.initialDirectory, documents);
    }
    EXPECT_TRUE(interaction->Messages().empty());
}

} // namespace
