#pragma once

// The module's engine on PCRE2, in C++; RegExPlugin.cpp puts the C entries
// in front of it. Failures are thrown as EngineError and turned into a status
// and a message at the boundary.

#ifndef PCRE2_CODE_UNIT_WIDTH
#define PCRE2_CODE_UNIT_WIDTH 8
#endif
#include <pcre2.h>

#include "RegExPluginABI.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velto_regex {

struct EngineError {
    VeltoStatus status;
    std::string message;
};

struct Settings {
    bool greedy = true;
    bool replaceAllMatches = false;
    bool caseSensitive = false;
    bool dotMatchAll = false;
    std::int32_t lineEndType = VELTO_REGEX_LINE_END_ANY_CRLF;
};

// Throws EngineError for a code that is not a VELTO_REGEX_LINE_END_* value.
void CheckLineEndType(std::int32_t lineEndType);

// A successful match: its target (shared with the RegEx that found it) and
// one offset pair per sub-expression, PCRE2_UNSET for those that took no part.
class Match {
public:
    void Assign(std::shared_ptr<const std::string> target, const PCRE2_SIZE* ovector, std::uint32_t pairs,
                std::uint32_t count);
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(count_); }
    std::string_view SubExpression(std::int32_t number) const;
    std::int64_t Start(std::int32_t number) const;
    std::string Expand(std::string_view replacement) const;

private:
    void CheckNumber(std::int32_t number) const;

    std::shared_ptr<const std::string> target_;
    std::vector<PCRE2_SIZE> ovector_;
    std::uint32_t count_ = 0;
};

// Appends replacement to out with its references filled from the ovector.
void AppendExpansion(std::string& out, std::string_view replacement, std::string_view subject,
                     const PCRE2_SIZE* ovector, std::uint32_t count);

class Engine {
public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    void SetPattern(std::string_view pattern);
    void SetSettings(const Settings& settings);

    // false when nothing matched; the target becomes the previous one.
    bool Search(std::string_view target, std::size_t start, Match& into);
    bool SearchAgain(Match& into);

    // false when nothing matched, result untouched.
    bool Replace(std::string_view target, std::size_t start, std::string_view replacement, std::string& result);
    void ReplaceAgain(std::string_view replacement, std::string& result);

private:
    struct Compiled;
    std::shared_ptr<Compiled> Compile(std::string_view pattern, const Settings& settings);
    const Compiled& Current();
    void TakeTarget(std::string_view target, std::size_t start);
    // Runs one match on the previous target; false for no match.
    bool Exec(const Compiled& compiled, std::size_t offset, std::uint32_t options);
    bool FindNext(Match& into);
    bool ReplaceIn(std::size_t start, std::string_view replacement, std::string& result);

    Settings settings_;
    std::string pattern_;
    std::shared_ptr<Compiled> current_;
    // Most recently used first. The quiz alternates two patterns on one
    // RegEx, so a few entries spare nearly every compile.
    std::vector<std::shared_ptr<Compiled>> cache_;
    pcre2_compile_context* compileContext_ = nullptr;
    pcre2_match_data* matchData_ = nullptr;
    pcre2_match_context* matchContext_ = nullptr;
    std::uint32_t matchPairs_ = 0;

    std::shared_ptr<std::string> target_;
    std::size_t next_ = 0;         // where Search() goes on
    bool afterEmptyMatch_ = false; // the previous match was empty, ending at next_
    bool exhausted_ = false;       // the previous search found nothing
};

} // namespace velto_regex
