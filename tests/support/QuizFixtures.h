#pragma once

#include "App.h"
#include "Exceptions.h"
#include "QuizDisplay.h"
#include "Random.h"
#include "TestSupport.h"

#include <deque>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A Random that answers from a script and records every draw's bounds.
// With the script used up it draws for real, so long runs still work.
class ScriptedRandom : public Random {
public:
    // A scripted value that makes its draw fail.
    static constexpr Int32 kFail = std::numeric_limits<Int32>::min();

    void Script(std::initializer_list<Int32> values) { script_.insert(script_.end(), values); }
    Int32 InRange(Int32 low, Int32 high) override
    {
        draws.emplace_back(low, high);
        if (script_.empty())
            return Random::InRange(low, high);
        Int32 value = script_.front();
        script_.pop_front();
        if (value == kFail)
            Raise<RuntimeException>("The scripted draw failed");
        return value;
    }
    std::vector<std::pair<Int32, Int32>> draws;

private:
    std::deque<Int32> script_;
};

// Registers an App whose rand is a ScriptedRandom, and drops it afterwards.
class ScriptedApp {
public:
    ScriptedApp();
    ~ScriptedApp();
    ScriptedRandom& Rand() { return *rand_; }

private:
    Ref<App> app_;
    Ref<ScriptedRandom> rand_;
};

// Records what the quiz shows, as the window's controls would hold it.
class RecordingDisplay : public QuizDisplay {
public:
    std::string askedWord, result, counter;
    std::string captions[4];
    bool answerVisible[4] = { false, false, false, false };
    bool knowVisible = false;
    int focusCount = 0;
    std::vector<std::string> effects;   // every effect, in order

    void SetAskedWord(const String& word) override { Note("word", askedWord = word.ToStdString()); }
    void SetAnswerCaption(Int32 button, const String& text) override
    {
        Note("caption" + std::to_string(button), captions[button] = text.ToStdString());
    }
    void SetAnswerButtonVisible(Int32 button, bool visible) override
    {
        answerVisible[button] = visible;
        Note("visible" + std::to_string(button), visible ? "true" : "false");
    }
    void SetKnowButtonVisible(bool visible) override
    {
        knowVisible = visible;
        Note("know", visible ? "true" : "false");
    }
    void SetResult(const String& text) override { Note("result", result = text.ToStdString()); }
    void SetCounter(const String& text) override { Note("counter", counter = text.ToStdString()); }
    void FocusWindow() override
    {
        ++focusCount;
        Note("focus", "");
    }
    Ref<Window> DialogOwner() override { return nullptr; }

private:
    void Note(const std::string& what, const std::string& value) { effects.push_back(what + "=" + value); }
};
