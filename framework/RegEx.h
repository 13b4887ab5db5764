#pragma once

#include "Object.h"

#include <memory>

// The framework's regular expressions, run by the plug-in module (PCRE2 in
// UTF mode) through the entries that start-up installs (Plugin.h). Creating
// one of these objects without those entries raises
// FunctionNotFoundException; a failure of the engine raises RegExException;
// a position or number outside the target or match raises
// OutOfBoundsException.
//
// Patterns are Perl's. ^ and $ match at the start and end of the target.
// A ReplacementPattern refers to sub-expressions as \0 to \9 or $0 to $9
// (one digit; 0 is the whole match; one that took no part gives nothing);
// \\ is a backslash and $$ a dollar sign; a number beyond the search
// pattern's sub-expressions raises RegExException.

struct RegExEntries;
struct VeltoRegEx;
struct VeltoRegExOptions;
struct VeltoRegExMatch;

// How a RegEx matches. A RegEx picks up changes at its next operation.
class RegExOptions : public Object {
public:
    RegExOptions();
    explicit RegExOptions(std::shared_ptr<const RegExEntries> entries);
    ~RegExOptions() override;
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    // false swaps greedy and lazy quantifiers.
    bool Greedy() const noexcept { return greedy_; }
    void Greedy(bool on) noexcept { greedy_ = on; }
    // false: Replace changes the first match only.
    bool ReplaceAllMatches() const noexcept { return replaceAllMatches_; }
    void ReplaceAllMatches(bool on) noexcept { replaceAllMatches_ = on; }
    bool CaseSensitive() const noexcept { return caseSensitive_; }
    void CaseSensitive(bool on) noexcept { caseSensitive_ = on; }
    // Whether . matches line ends too.
    bool DotMatchAll() const noexcept { return dotMatchAll_; }
    void DotMatchAll(bool on) noexcept { dotMatchAll_ = on; }

    // The line ends that ., $ and \N see: 0 any (CR, LF, CRLF and Unicode's
    // others), 1 CR, 2 LF, 3 CRLF, 4 CR, LF or CRLF (the default: a line read
    // from a file holds none of these, so "." takes all of it). Another value
    // raises RegExException and changes nothing.
    Int32 LineEndType() const noexcept { return lineEndType_; }
    void LineEndType(Int32 type);

private:
    friend class RegEx;

    std::shared_ptr<const RegExEntries> entries_;
    VeltoRegExOptions* handle_ = nullptr;
    bool greedy_ = true, replaceAllMatches_ = false, caseSensitive_ = false, dotMatchAll_ = false;
    Int32 lineEndType_ = 4;   // CR, LF or CRLF
};

// One match of a search. It keeps what it needs, so it outlives its RegEx.
class RegExMatch : public Object {
public:
    RegExMatch();
    explicit RegExMatch(std::shared_ptr<const RegExEntries> entries);
    ~RegExMatch() override;
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    // The whole match and each sub-expression of the pattern; 0 for a
    // RegExMatch that no search filled.
    Int32 SubExpressionCount() const noexcept { return count_; }
    // Number 0 is the whole match; "" for a sub-expression that took no part.
    String SubExpressionString(Int32 number) const;
    // The byte offset in the target; -1 for one that took no part.
    Int32 SubExpressionStartB(Int32 number) const;
    // The ReplacementPattern that the RegEx had at the search, or the given
    // one, with this match's sub-expressions filled in.
    String Replace() const;
    String Replace(const String& replacementPattern) const;

private:
    friend class RegEx;

    std::shared_ptr<const RegExEntries> entries_;
    VeltoRegExMatch* handle_ = nullptr;
    Int32 count_ = 0;
    String replacementPattern_;
};

class RegEx : public Object {
public:
    // An empty SearchPattern (matching the empty text), an empty
    // ReplacementPattern (so Replace deletes the match) and default options.
    RegEx();
    ~RegEx() override;
    static const ClassRecord& Class();
    const ClassRecord& ClassInfo() const override { return Class(); }

    String SearchPattern() const { return searchPattern_; }
    // Compiles the pattern; an invalid one raises RegExException with the
    // engine's message and offset, and the previous pattern stays.
    void SearchPattern(const String& pattern);
    String ReplacementPattern() const { return replacementPattern_; }
    void ReplacementPattern(const String& pattern) { replacementPattern_ = pattern; }
    Ref<RegExOptions> Options() const { return options_; }
    void Options(Ref<RegExOptions> options);

    // The first match at or after the start (a byte offset, 0 by default), or
    // nil. The target becomes the previous one.
    Ref<RegExMatch> Search(const String& target);
    Ref<RegExMatch> Search(const String& target, Int32 startByte);
    // The next match in the previous target after the previous match (from
    // the target's start when a Replace set it), or nil.
    Ref<RegExMatch> Search();

    // The target with its first match at or after the start replaced by the
    // ReplacementPattern (every match, with ReplaceAllMatches); the target
    // unchanged when nothing matched.
    String Replace(const String& target);
    String Replace(const String& target, Int32 startByte);
    // Replace on the previous target.
    String Replace();

private:
    struct PushedOptions {
        const VeltoRegExOptions* handle = nullptr;
        bool greedy = true, replaceAllMatches = false, caseSensitive = false, dotMatchAll = false;
        Int32 lineEndType = 4;
        friend bool operator==(const PushedOptions&, const PushedOptions&) = default;
    };
    static PushedOptions Snapshot(const RegExOptions& options);
    void PushOptions();
    RegExMatch& Spare();
    Ref<RegExMatch> Found(Int32 status, Int32 count);

    std::shared_ptr<const RegExEntries> entries_;
    VeltoRegEx* handle_ = nullptr;
    String searchPattern_, replacementPattern_;
    Ref<RegExOptions> options_;
    PushedOptions pushed_;     // the options the module holds
    Ref<RegExMatch> spare_;    // filled by the next search; kept when nothing matched
};
