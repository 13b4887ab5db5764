/*
 * The C interface that the framework asks of its regular-expression module.
 * The framework declares it and the module implements it; it stays plain C,
 * free of Qt and of the rest of the framework, so that a module builds
 * against this header alone.
 *
 * The module exports one function, velto_plugin_entries, which hands out a
 * table of (full name, function) pairs. The framework finds each entry by its
 * full name and casts it to the type given below for its index.
 *
 * Rules that hold for every entry:
 * - Text goes in as UTF-8 bytes with a length (no terminator needed; a null
 *   pointer is allowed when the length is 0).
 * - Text comes out only through reply->text, called at most once during the
 *   call; the bytes are valid only during that callback, so the caller copies
 *   them. Nothing allocated on one side is ever freed on the other.
 * - An entry returns a status. On a failure (any status other than OK and
 *   NO_MATCH) it calls reply->error exactly once with a message a person can
 *   read, and reply->text not at all. No exception ever leaves an entry; the
 *   callbacks must not throw either.
 * - Handles are opaque; each is created by its __init entry and destroyed by
 *   its __exit entry, and may be used from one thread at a time.
 *
 * Entries and their types (index: full name):
 *   0  RegEx.__init                        VeltoRegExInitFn
 *   1  RegEx.__exit                        VeltoRegExExitFn
 *   2  RegEx.Search(TargetString)          VeltoRegExSearchFn
 *   3  RegEx.Search(Target, Start)         VeltoRegExSearchFromFn
 *   4  RegEx.Search()                      VeltoRegExSearchAgainFn
 *   5  RegEx.Replace(TargetString)         VeltoRegExReplaceFn
 *   6  RegEx.Replace(Target, Start)        VeltoRegExReplaceFromFn
 *   7  RegEx.Replace()                     VeltoRegExReplaceAgainFn
 *   8  RegEx.SearchPattern.Set             VeltoRegExSetPatternFn
 *   9  RegEx.Options.Set                   VeltoRegExSetOptionsFn
 *   10 RegExOptions.__init                 VeltoRegExOptionsInitFn
 *   11 RegExOptions.__exit                 VeltoRegExOptionsExitFn
 *   12 RegExOptions.LineEndType.Set        VeltoRegExOptionsSetLineEndFn
 *   13 RegExMatch.__init                   VeltoRegExMatchInitFn
 *   14 RegExMatch.__exit                   VeltoRegExMatchExitFn
 *   15 RegExMatch.Replace()                VeltoRegExMatchReplaceFn
 *   16 RegExMatch.Replace(Pattern)         VeltoRegExMatchReplaceFn
 *   17 RegExMatch.SubExpressionString(N)   VeltoRegExMatchStringFn
 *   18 RegExMatch.SubExpressionStartB(N)   VeltoRegExMatchStartFn
 *
 * Matching: PCRE2 in UTF mode with Unicode properties for \w, \d and \b.
 * ^ and $ match at the start and end of the target only. A start position is
 * a byte offset; it may equal the target's length.
 *
 * Replacement patterns: \0 to \9 and $0 to $9 stand for the sub-expression of
 * that number (one digit; 0 is the whole match); a sub-expression that took
 * no part in the match gives nothing. \\ gives a backslash and $$ a dollar
 * sign; every other character stands for itself. A number above the search
 * pattern's count of sub-expressions fails with VELTO_REGEX_BAD_ARGUMENT.
 */
#ifndef VELTO_REGEX_PLUGIN_ABI_H
#define VELTO_REGEX_PLUGIN_ABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VELTO_PLUGIN_ENTRIES_SYMBOL "velto_plugin_entries"
/* Raised whenever an entry's type or meaning changes. */
#define VELTO_PLUGIN_ABI_VERSION 1u
#define VELTO_REGEX_ENTRY_COUNT 19

typedef void (*VeltoPluginFunction)(void);

typedef struct VeltoPluginEntry {
    const char* name; /* the full name, NUL-terminated, static */
    VeltoPluginFunction function;
} VeltoPluginEntry;

typedef struct VeltoPluginTable {
    uint32_t abiVersion;
    size_t count;
    const VeltoPluginEntry* entries;
} VeltoPluginTable;

/* The one exported function; the table is static and lives as long as the
 * module is loaded. */
typedef const VeltoPluginTable* (*VeltoPluginEntriesFn)(void);

typedef int32_t VeltoStatus;
enum {
    VELTO_REGEX_OK = 0,
    VELTO_REGEX_NO_MATCH = 1,     /* not a failure: nothing matched */
    VELTO_REGEX_BAD_PATTERN = 2,  /* the search pattern does not compile */
    VELTO_REGEX_BAD_ARGUMENT = 3, /* a null handle, a bad code, a bad reference, no previous target */
    VELTO_REGEX_OUT_OF_RANGE = 4, /* a start position or sub-expression number outside the match or target */
    VELTO_REGEX_MATCH_FAILED = 5, /* the engine gave up: invalid UTF-8, a match or memory limit */
    VELTO_REGEX_NO_MEMORY = 6,
    VELTO_REGEX_INTERNAL = 7
};

/* How text and failures come back from an entry. */
typedef struct VeltoRegExReply {
    void* context;
    void (*text)(void* context, const char* utf8, size_t length);
    void (*error)(void* context, const char* utf8, size_t length);
} VeltoRegExReply;

/* The line ends that ., $ and \N see (RegExOptions.LineEndType). */
enum {
    VELTO_REGEX_LINE_END_ANY = 0, /* CR, LF, CRLF and Unicode's other line ends */
    VELTO_REGEX_LINE_END_CR = 1,
    VELTO_REGEX_LINE_END_LF = 2,
    VELTO_REGEX_LINE_END_CRLF = 3,
    VELTO_REGEX_LINE_END_ANY_CRLF = 4 /* CR, LF or CRLF; the default, so that "." takes every
                                        other character a text line can hold */
};

/* The RegExOptions values that travel with entry 9; the line-end type comes
 * from the options handle. Each field is 0 or 1. */
typedef struct VeltoRegExFlags {
    uint8_t greedy;            /* default 1; 0 swaps greedy and lazy quantifiers */
    uint8_t replaceAllMatches; /* default 0: Replace changes the first match only */
    uint8_t caseSensitive;     /* default 0 */
    uint8_t dotMatchAll;       /* default 0: . does not match a line end */
} VeltoRegExFlags;

typedef struct VeltoRegEx VeltoRegEx;
typedef struct VeltoRegExOptions VeltoRegExOptions;
typedef struct VeltoRegExMatch VeltoRegExMatch;

/* 0: a RegEx with an empty search pattern and default options. */
typedef VeltoStatus (*VeltoRegExInitFn)(VeltoRegEx** created, const VeltoRegExReply* reply);
/* 1: destroys it; null does nothing. */
typedef void (*VeltoRegExExitFn)(VeltoRegEx* regex);

/* 2, 3: searches a new target (from startByte) and fills match; OK or
 * NO_MATCH. subExpressionCount receives the match's count of
 * sub-expressions, the whole match included. The target becomes the one that
 * entries 4 and 7 use. */
typedef VeltoStatus (*VeltoRegExSearchFn)(VeltoRegEx* regex, const char* target, size_t length,
                                          VeltoRegExMatch* match, int32_t* subExpressionCount,
                                          const VeltoRegExReply* reply);
typedef VeltoStatus (*VeltoRegExSearchFromFn)(VeltoRegEx* regex, const char* target, size_t length,
                                              size_t startByte, VeltoRegExMatch* match,
                                              int32_t* subExpressionCount, const VeltoRegExReply* reply);
/* 4: the next match in the previous target, after the previous match. */
typedef VeltoStatus (*VeltoRegExSearchAgainFn)(VeltoRegEx* regex, VeltoRegExMatch* match,
                                               int32_t* subExpressionCount, const VeltoRegExReply* reply);

/* 5, 6: the target with its first match at or after startByte replaced (or
 * every match, with replaceAllMatches). NO_MATCH when nothing matched: then
 * nothing comes back, the result being the target unchanged. The target
 * becomes the previous one and a later entry 4 starts at its beginning. */
typedef VeltoStatus (*VeltoRegExReplaceFn)(VeltoRegEx* regex, const char* target, size_t length,
                                           const char* replacement, size_t replacementLength,
                                           const VeltoRegExReply* reply);
typedef VeltoStatus (*VeltoRegExReplaceFromFn)(VeltoRegEx* regex, const char* target, size_t length,
                                               size_t startByte, const char* replacement,
                                               size_t replacementLength, const VeltoRegExReply* reply);
/* 7: entry 5 on the previous target; hands out the result even when nothing
 * matched. */
typedef VeltoStatus (*VeltoRegExReplaceAgainFn)(VeltoRegEx* regex, const char* replacement,
                                                size_t replacementLength, const VeltoRegExReply* reply);

/* 8: compiles the pattern (or takes it from the handle's cache); on failure
 * the previous pattern stays. */
typedef VeltoStatus (*VeltoRegExSetPatternFn)(VeltoRegEx* regex, const char* pattern, size_t length,
                                              const VeltoRegExReply* reply);
/* 9: takes the options' values; the handle keeps no reference to options. */
typedef VeltoStatus (*VeltoRegExSetOptionsFn)(VeltoRegEx* regex, const VeltoRegExOptions* options,
                                              const VeltoRegExFlags* flags, const VeltoRegExReply* reply);

/* 10, 11, 12: the options handle holds the line-end type (default ANY). */
typedef VeltoStatus (*VeltoRegExOptionsInitFn)(VeltoRegExOptions** created, const VeltoRegExReply* reply);
typedef void (*VeltoRegExOptionsExitFn)(VeltoRegExOptions* options);
typedef VeltoStatus (*VeltoRegExOptionsSetLineEndFn)(VeltoRegExOptions* options, int32_t lineEndType,
                                                     const VeltoRegExReply* reply);

/* 13, 14: a match holds its own copy of what it needs, so it outlives its
 * RegEx. A new one has no sub-expressions. */
typedef VeltoStatus (*VeltoRegExMatchInitFn)(VeltoRegExMatch** created, const VeltoRegExReply* reply);
typedef void (*VeltoRegExMatchExitFn)(VeltoRegExMatch* match);
/* 15, 16: the replacement pattern expanded with the match's sub-expressions
 * (15 is given the RegEx's ReplacementPattern by the caller). */
typedef VeltoStatus (*VeltoRegExMatchReplaceFn)(const VeltoRegExMatch* match, const char* replacement,
                                                size_t replacementLength, const VeltoRegExReply* reply);
/* 17: the text of sub-expression number ("" when it took no part). */
typedef VeltoStatus (*VeltoRegExMatchStringFn)(const VeltoRegExMatch* match, int32_t number,
                                               const VeltoRegExReply* reply);
/* 18: its byte offset in the target, -1 when it took no part. */
typedef VeltoStatus (*VeltoRegExMatchStartFn)(const VeltoRegExMatch* match, int32_t number, int64_t* startByte,
                                              const VeltoRegExReply* reply);

#ifdef __cplusplus
}
#endif

#endif
