// The module's C entries: each checks its arguments, runs the engine and
// turns every failure into a status and a message, so that nothing but a
// status ever leaves the module.

#include "RegExEngine.h"
#include "RegExPluginABI.h"

#include <new>
#include <string>
#include <string_view>

struct VeltoRegEx {
    velto_regex::Engine engine;
};

struct VeltoRegExOptions {
    std::int32_t lineEndType = VELTO_REGEX_LINE_END_ANY_CRLF;
};

struct VeltoRegExMatch {
    velto_regex::Match match;
};

namespace {

using velto_regex::EngineError;

void SendText(const VeltoRegExReply* reply, std::string_view text) noexcept
{
    if (reply && reply->text)
        reply->text(reply->context, text.data(), text.size());
}

void SendError(const VeltoRegExReply* reply, std::string_view message) noexcept
{
    if (reply && reply->error)
        reply->error(reply->context, message.data(), message.size());
}

template <class Body>
VeltoStatus Guard(const VeltoRegExReply* reply, Body&& body) noexcept
{
    try {
        return body();
    } catch (const EngineError& e) {
        SendError(reply, e.message);
        return e.status;
    } catch (const std::bad_alloc&) {
        SendError(reply, "The regular-expression module ran out of memory");
        return VELTO_REGEX_NO_MEMORY;
    } catch (const std::exception& e) {
        SendError(reply, std::string("The regular-expression module failed: ") + e.what());
        return VELTO_REGEX_INTERNAL;
    } catch (...) {
        SendError(reply, "The regular-expression module failed");
        return VELTO_REGEX_INTERNAL;
    }
}

template <class T>
T& Need(T* handle, const char* what)
{
    if (!handle)
        throw EngineError{ VELTO_REGEX_BAD_ARGUMENT, std::string("No ") + what + " was given" };
    return *handle;
}

std::string_view Text(const char* bytes, std::size_t length, const char* what)
{
    if (!bytes && length != 0)
        throw EngineError{ VELTO_REGEX_BAD_ARGUMENT, std::string("The ") + what + " has a length but no bytes" };
    return bytes ? std::string_view(bytes, length) : std::string_view();
}

VeltoStatus Found(bool found, const VeltoRegExMatch& match, std::int32_t* subExpressionCount)
{
    if (!found)
        return VELTO_REGEX_NO_MATCH;
    if (subExpressionCount)
        *subExpressionCount = match.match.Count();
    return VELTO_REGEX_OK;
}

VeltoStatus Replaced(bool replaced, const std::string& result, const VeltoRegExReply* reply)
{
    if (!replaced)
        return VELTO_REGEX_NO_MATCH;
    SendText(reply, result);
    return VELTO_REGEX_OK;
}

} // namespace

extern "C" {

static VeltoStatus RegExInit(VeltoRegEx** created, const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        auto& slot = Need(created, "place for the new RegEx");  // checked before anything is allocated
        slot = new VeltoRegEx;
        return VELTO_REGEX_OK;
    });
}

static void RegExExit(VeltoRegEx* regex) { delete regex; }

static VeltoStatus RegExSearch(VeltoRegEx* regex, const char* target, size_t length, VeltoRegExMatch* match,
                               int32_t* subExpressionCount, const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        auto& m = Need(match, "RegExMatch");
        bool found = Need(regex, "RegEx").engine.Search(Text(target, length, "target"), 0, m.match);
        return Found(found, m, subExpressionCount);
    });
}

static VeltoStatus RegExSearchFrom(VeltoRegEx* regex, const char* target, size_t length, size_t startByte,
                                   VeltoRegExMatch* match, int32_t* subExpressionCount, const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        auto& m = Need(match, "RegExMatch");
        bool found = Need(regex, "RegEx").engine.Search(Text(target, length, "target"), startByte, m.match);
        return Found(found, m, subExpressionCount);
    });
}

static VeltoStatus RegExSearchAgain(VeltoRegEx* regex, VeltoRegExMatch* match, int32_t* subExpressionCount,
                                    const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        auto& m = Need(match, "RegExMatch");
        return Found(Need(regex, "RegEx").engine.SearchAgain(m.match), m, subExpressionCount);
    });
}

static VeltoStatus RegExReplace(VeltoRegEx* regex, const char* target, size_t length, const char* replacement,
                                size_t replacementLength, const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        std::string result;
        bool replaced = Need(regex, "RegEx").engine.Replace(
            Text(target, length, "target"), 0, Text(replacement, replacementLength, "replacement pattern"), result);
        return Replaced(replaced, result, reply);
    });
}

static VeltoStatus RegExReplaceFrom(VeltoRegEx* regex, const char* target, size_t length, size_t startByte,
                                    const char* replacement, size_t replacementLength, const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        std::string result;
        bool replaced = Need(regex, "RegEx").engine.Replace(Text(target, length, "target"), startByte,
                                                            Text(replacement, replacementLength, "replacement pattern"),
                                                            result);
        return Replaced(replaced, result, reply);
    });
}

static VeltoStatus RegExReplaceAgain(VeltoRegEx* regex, const char* replacement, size_t replacementLength,
                                     const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        std::string result;
        Need(regex, "RegEx").engine.ReplaceAgain(Text(replacement, replacementLength, "replacement pattern"), result);
        SendText(reply, result);
        return VELTO_REGEX_OK;
    });
}

static VeltoStatus RegExSetPattern(VeltoRegEx* regex, const char* pattern, size_t length, const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        Need(regex, "RegEx").engine.SetPattern(Text(pattern, length, "search pattern"));
        return VELTO_REGEX_OK;
    });
}

static VeltoStatus RegExSetOptions(VeltoRegEx* regex, const VeltoRegExOptions* options, const VeltoRegExFlags* flags,
                                   const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        const auto& o = Need(options, "RegExOptions");
        const auto& f = Need(flags, "set of option flags");
        velto_regex::Settings settings;
        settings.greedy = f.greedy != 0;
        settings.replaceAllMatches = f.replaceAllMatches != 0;
        settings.caseSensitive = f.caseSensitive != 0;
        settings.dotMatchAll = f.dotMatchAll != 0;
        settings.lineEndType = o.lineEndType;
        Need(regex, "RegEx").engine.SetSettings(settings);
        return VELTO_REGEX_OK;
    });
}

static VeltoStatus OptionsInit(VeltoRegExOptions** created, const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        auto& slot = Need(created, "place for the new RegExOptions");
        slot = new VeltoRegExOptions;
        return VELTO_REGEX_OK;
    });
}

static void OptionsExit(VeltoRegExOptions* options) { delete options; }

static VeltoStatus OptionsSetLineEnd(VeltoRegExOptions* options, int32_t lineEndType, const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        auto& o = Need(options, "RegExOptions");
        velto_regex::CheckLineEndType(lineEndType);
        o.lineEndType = lineEndType;
        return VELTO_REGEX_OK;
    });
}

static VeltoStatus MatchInit(VeltoRegExMatch** created, const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        auto& slot = Need(created, "place for the new RegExMatch");
        slot = new VeltoRegExMatch;
        return VELTO_REGEX_OK;
    });
}

static void MatchExit(VeltoRegExMatch* match) { delete match; }

static VeltoStatus MatchReplace(const VeltoRegExMatch* match, const char* replacement, size_t replacementLength,
                                const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        SendText(reply, Need(match, "RegExMatch").match.Expand(Text(replacement, replacementLength, "replacement pattern")));
        return VELTO_REGEX_OK;
    });
}

static VeltoStatus MatchString(const VeltoRegExMatch* match, int32_t number, const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        SendText(reply, Need(match, "RegExMatch").match.SubExpression(number));
        return VELTO_REGEX_OK;
    });
}

static VeltoStatus MatchStart(const VeltoRegExMatch* match, int32_t number, int64_t* startByte,
                              const VeltoRegExReply* reply)
{
    return Guard(reply, [&] {
        const std::int64_t start = Need(match, "RegExMatch").match.Start(number);
        Need(startByte, "place for the start position") = start;
        return VELTO_REGEX_OK;
    });
}

} // extern "C"

namespace {

// Taking the entry's declared type makes a mismatch with the header a
// compile error.
template <class Fn>
VeltoPluginEntry Entry(const char* name, Fn function)
{
    return { name, reinterpret_cast<VeltoPluginFunction>(function) };
}

} // namespace

extern "C" __attribute__((visibility("default"))) const VeltoPluginTable* velto_plugin_entries(void)
{
    static const VeltoPluginEntry entries[] = {
        Entry<VeltoRegExInitFn>("RegEx.__init", &RegExInit),
        Entry<VeltoRegExExitFn>("RegEx.__exit", &RegExExit),
        Entry<VeltoRegExSearchFn>("RegEx.Search(TargetString as String) as RegExMatch", &RegExSearch),
        Entry<VeltoRegExSearchFromFn>(
            "RegEx.Search(TargetString as String, SearchStartPosition as Integer) as RegExMatch", &RegExSearchFrom),
        Entry<VeltoRegExSearchAgainFn>("RegEx.Search() as RegExMatch", &RegExSearchAgain),
        Entry<VeltoRegExReplaceFn>("RegEx.Replace(TargetString as String) as String", &RegExReplace),
        Entry<VeltoRegExReplaceFromFn>(
            "RegEx.Replace(TargetString as String, SearchStartPosition as Integer) as String", &RegExReplaceFrom),
        Entry<VeltoRegExReplaceAgainFn>("RegEx.Replace() as String", &RegExReplaceAgain),
        Entry<VeltoRegExSetPatternFn>("RegEx.SearchPattern.Set", &RegExSetPattern),
        Entry<VeltoRegExSetOptionsFn>("RegEx.Options.Set", &RegExSetOptions),
        Entry<VeltoRegExOptionsInitFn>("RegExOptions.__init", &OptionsInit),
        Entry<VeltoRegExOptionsExitFn>("RegExOptions.__exit", &OptionsExit),
        Entry<VeltoRegExOptionsSetLineEndFn>("RegExOptions.LineEndType.Set", &OptionsSetLineEnd),
        Entry<VeltoRegExMatchInitFn>("RegExMatch.__init", &MatchInit),
        Entry<VeltoRegExMatchExitFn>("RegExMatch.__exit", &MatchExit),
        Entry<VeltoRegExMatchReplaceFn>("RegExMatch.Replace() as String", &MatchReplace),
        Entry<VeltoRegExMatchReplaceFn>("RegExMatch.Replace(ReplacementPattern as string) as String", &MatchReplace),
        Entry<VeltoRegExMatchStringFn>("RegExMatch.SubExpressionString(MatchNumber as Integer) as String", &MatchString),
        Entry<VeltoRegExMatchStartFn>("RegExMatch.SubExpressionStartB(MatchNumber as Integer) as Integer", &MatchStart),
    };
    static_assert(sizeof entries / sizeof entries[0] == VELTO_REGEX_ENTRY_COUNT);
    static const VeltoPluginTable table = { VELTO_PLUGIN_ABI_VERSION, sizeof entries / sizeof entries[0], entries };
    return &table;
}
