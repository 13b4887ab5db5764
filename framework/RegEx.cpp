#include "RegEx.h"

#include "Exceptions.h"
#include "RegExEntries.h"
#include "RegExPluginABI.h"

#include <limits>
#include <new>

namespace {

enum Entry : std::size_t {
    kRegExInit,
    kRegExExit,
    kSearch,
    kSearchFrom,
    kSearchAgain,
    kReplace,
    kReplaceFrom,
    kReplaceAgain,
    kSetSearchPattern,
    kSetOptions,
    kOptionsInit,
    kOptionsExit,
    kSetLineEndType,
    kMatchInit,
    kMatchExit,
    kMatchReplace,
    kMatchReplaceWith,
    kSubExpressionString,
    kSubExpressionStartB,
};

template <class Fn>
Fn EntryAs(const RegExEntries& entries, Entry index)
{
    return reinterpret_cast<Fn>(entries.Require(index));
}

// Collects what one call of an entry hands back. The callbacks copy the
// bytes and never throw: a failed copy is noted and raised after the call.
class Reply {
public:
    Reply() = default;
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;

    const VeltoRegExReply* C() const noexcept { return &reply_; }
    const String& Text() const noexcept { return text_; }

    // Raises what a failed call reported; OK and NO_MATCH pass.
    void Check(VeltoStatus status) const
    {
        if (copyFailed_)
            throw std::bad_alloc();
        if (status == VELTO_REGEX_OK || status == VELTO_REGEX_NO_MATCH)
            return;
        std::string message = error_.empty()
            ? "The regular-expression module failed with status " + std::to_string(status)
            : error_;
        if (status == VELTO_REGEX_OUT_OF_RANGE)
            Raise<OutOfBoundsException>(std::move(message), status);
        Raise<RegExException>(std::move(message), status);
    }

private:
    static void OnText(void* context, const char* utf8, std::size_t length) noexcept
    {
        auto& self = *static_cast<Reply*>(context);
        try {
            self.text_ = String(std::string_view(utf8, length));
        } catch (...) {
            self.copyFailed_ = true;
        }
    }

    static void OnError(void* context, const char* utf8, std::size_t length) noexcept
    {
        auto& self = *static_cast<Reply*>(context);
        try {
            self.error_.assign(utf8, length);
        } catch (...) {
            self.copyFailed_ = true;
        }
    }

    String text_;
    std::string error_;
    bool copyFailed_ = false;
    VeltoRegExReply reply_{ this, &OnText, &OnError };
};

std::size_t StartByte(Int32 startByte)
{
    if (startByte < 0)
        Raise<OutOfBoundsException>("SearchStartPosition " + std::to_string(startByte)
                                    + " is before the start of the target");
    return static_cast<std::size_t>(startByte);
}

} // namespace

// ---- RegExOptions

RegExOptions::RegExOptions()
    : RegExOptions(CurrentRegExEntries())
{
}

RegExOptions::RegExOptions(std::shared_ptr<const RegExEntries> entries)
    : entries_(std::move(entries))
{
    auto init = EntryAs<VeltoRegExOptionsInitFn>(*entries_, kOptionsInit);
    entries_->Require(kOptionsExit);
    Reply reply;
    reply.Check(init(&handle_, reply.C()));
}

RegExOptions::~RegExOptions()
{
    if (handle_)
        reinterpret_cast<VeltoRegExOptionsExitFn>(entries_->table.Get(kOptionsExit))(handle_);
}

const ClassRecord& RegExOptions::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(
        ClassRecordBuilder("RegExOptions", &Object::Class())
            .Property("Greedy", Scope::Public, "Boolean")
            .Property("ReplaceAllMatches", Scope::Public, "Boolean")
            .Property("CaseSensitive", Scope::Public, "Boolean")
            .Property("DotMatchAll", Scope::Public, "Boolean")
            .Property("LineEndType", Scope::Public, "Integer")
            .Build());
    return record;
}

void RegExOptions::LineEndType(Int32 type)
{
    auto set = EntryAs<VeltoRegExOptionsSetLineEndFn>(*entries_, kSetLineEndType);
    Reply reply;
    reply.Check(set(handle_, type, reply.C()));
    lineEndType_ = type;
}

// ---- RegExMatch

RegExMatch::RegExMatch()
    : RegExMatch(CurrentRegExEntries())
{
}

RegExMatch::RegExMatch(std::shared_ptr<const RegExEntries> entries)
    : entries_(std::move(entries))
{
    auto init = EntryAs<VeltoRegExMatchInitFn>(*entries_, kMatchInit);
    entries_->Require(kMatchExit);
    Reply reply;
    reply.Check(init(&handle_, reply.C()));
}

RegExMatch::~RegExMatch()
{
    if (handle_)
        reinterpret_cast<VeltoRegExMatchExitFn>(entries_->table.Get(kMatchExit))(handle_);
}

const ClassRecord& RegExMatch::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(
        ClassRecordBuilder("RegExMatch", &Object::Class())
            .Property("SubExpressionCount", Scope::Public, "Integer")
            .Method("SubExpressionString", Scope::Public, "(MatchNumber As Integer) As String")
            .Method("SubExpressionStartB", Scope::Public, "(MatchNumber As Integer) As Integer")
            .Method("Replace", Scope::Public, "() As String")
            .Method("Replace", Scope::Public, "(ReplacementPattern As String) As String")
            .Build());
    return record;
}

String RegExMatch::SubExpressionString(Int32 number) const
{
    auto get = EntryAs<VeltoRegExMatchStringFn>(*entries_, kSubExpressionString);
    Reply reply;
    reply.Check(get(handle_, number, reply.C()));
    return reply.Text();
}

Int32 RegExMatch::SubExpressionStartB(Int32 number) const
{
    auto get = EntryAs<VeltoRegExMatchStartFn>(*entries_, kSubExpressionStartB);
    Reply reply;
    std::int64_t start = -1;
    reply.Check(get(handle_, number, &start, reply.C()));
    if (start > std::numeric_limits<Int32>::max())
        Raise<OutOfBoundsException>("Sub-expression " + std::to_string(number) + " starts at byte "
                                    + std::to_string(start) + ", beyond what an Integer holds");
    return static_cast<Int32>(start);
}

String RegExMatch::Replace() const
{
    auto replace = EntryAs<VeltoRegExMatchReplaceFn>(*entries_, kMatchReplace);
    Reply reply;
    const std::string_view pattern = replacementPattern_.View();
    reply.Check(replace(handle_, pattern.data(), pattern.size(), reply.C()));
    return reply.Text();
}

String RegExMatch::Replace(const String& replacementPattern) const
{
    auto replace = EntryAs<VeltoRegExMatchReplaceFn>(*entries_, kMatchReplaceWith);
    Reply reply;
    const std::string_view pattern = replacementPattern.View();
    reply.Check(replace(handle_, pattern.data(), pattern.size(), reply.C()));
    return reply.Text();
}

// ---- RegEx

RegEx::RegEx()
    : entries_(CurrentRegExEntries())
{
    auto init = EntryAs<VeltoRegExInitFn>(*entries_, kRegExInit);
    auto exit = EntryAs<VeltoRegExExitFn>(*entries_, kRegExExit);
    Reply reply;
    reply.Check(init(&handle_, reply.C()));
    try {
        options_ = New<RegExOptions>(entries_);
    } catch (...) {
        exit(handle_);
        throw;
    }
    // A new module RegEx has the options that a new RegExOptions has.
    pushed_ = Snapshot(*options_);
}

RegEx::~RegEx()
{
    if (handle_)
        reinterpret_cast<VeltoRegExExitFn>(entries_->table.Get(kRegExExit))(handle_);
}

const ClassRecord& RegEx::Class()
{
    static const ClassRecord& record = ClassRegistry::Register(
        ClassRecordBuilder("RegEx", &Object::Class())
            .Property("SearchPattern", Scope::Public, "String")
            .Property("ReplacementPattern", Scope::Public, "String")
            .Property("Options", Scope::Public, "RegExOptions")
            .Method("Search", Scope::Public, "(TargetString As String) As RegExMatch")
            .Method("Search", Scope::Public, "(TargetString As String, SearchStartPosition As Integer) As RegExMatch")
            .Method("Search", Scope::Public, "() As RegExMatch")
            .Method("Replace", Scope::Public, "(TargetString As String) As String")
            .Method("Replace", Scope::Public, "(TargetString As String, SearchStartPosition As Integer) As String")
            .Method("Replace", Scope::Public, "() As String")
            .Build());
    return record;
}

RegEx::PushedOptions RegEx::Snapshot(const RegExOptions& options)
{
    return { options.handle_,       options.greedy_,      options.replaceAllMatches_,
             options.caseSensitive_, options.dotMatchAll_, options.lineEndType_ };
}

// Options may be changed through Options() at any time, so each operation
// compares them with what the module holds; the call is rare.
void RegEx::PushOptions()
{
    const PushedOptions now = Snapshot(*options_);
    if (now == pushed_)
        return;
    auto set = EntryAs<VeltoRegExSetOptionsFn>(*entries_, kSetOptions);
    const VeltoRegExFlags flags{ now.greedy, now.replaceAllMatches, now.caseSensitive, now.dotMatchAll };
    Reply reply;
    reply.Check(set(handle_, options_->handle_, &flags, reply.C()));
    pushed_ = now;
}

void RegEx::Options(Ref<RegExOptions> options)
{
    RegExOptions& given = options.Get();
    if (given.entries_ != entries_ && given.entries_->table.Get(kOptionsInit) != entries_->table.Get(kOptionsInit))
        Raise<UnsupportedOperationException>(
            "These RegExOptions were made by another regular-expression module than the RegEx");
    Ref<RegExOptions> previous = std::move(options_);
    options_ = std::move(options);
    try {
        PushOptions();
    } catch (...) {
        options_ = std::move(previous);
        throw;
    }
}

void RegEx::SearchPattern(const String& pattern)
{
    PushOptions();
    auto set = EntryAs<VeltoRegExSetPatternFn>(*entries_, kSetSearchPattern);
    const std::string_view bytes = pattern.View();
    Reply reply;
    reply.Check(set(handle_, bytes.data(), bytes.size(), reply.C()));
    searchPattern_ = pattern;
}

RegExMatch& RegEx::Spare()
{
    if (!spare_)
        spare_ = New<RegExMatch>(entries_);
    return *spare_;
}

Ref<RegExMatch> RegEx::Found(Int32 status, Int32 count)
{
    if (status == VELTO_REGEX_NO_MATCH)
        return nullptr;
    Ref<RegExMatch> match = std::move(spare_);
    match->count_ = count;
    match->replacementPattern_ = replacementPattern_;
    return match;
}

Ref<RegExMatch> RegEx::Search(const String& target)
{
    PushOptions();
    auto search = EntryAs<VeltoRegExSearchFn>(*entries_, kSearch);
    RegExMatch& into = Spare();
    const std::string_view bytes = target.View();
    Int32 count = 0;
    Reply reply;
    const VeltoStatus status = search(handle_, bytes.data(), bytes.size(), into.handle_, &count, reply.C());
    reply.Check(status);
    return Found(status, count);
}

Ref<RegExMatch> RegEx::Search(const String& target, Int32 startByte)
{
    const std::size_t start = StartByte(startByte);
    PushOptions();
    auto search = EntryAs<VeltoRegExSearchFromFn>(*entries_, kSearchFrom);
    RegExMatch& into = Spare();
    const std::string_view bytes = target.View();
    Int32 count = 0;
    Reply reply;
    const VeltoStatus status = search(handle_, bytes.data(), bytes.size(), start, into.handle_, &count, reply.C());
    reply.Check(status);
    return Found(status, count);
}

Ref<RegExMatch> RegEx::Search()
{
    PushOptions();
    auto search = EntryAs<VeltoRegExSearchAgainFn>(*entries_, kSearchAgain);
    RegExMatch& into = Spare();
    Int32 count = 0;
    Reply reply;
    const VeltoStatus status = search(handle_, into.handle_, &count, reply.C());
    reply.Check(status);
    return Found(status, count);
}

String RegEx::Replace(const String& target)
{
    PushOptions();
    auto replace = EntryAs<VeltoRegExReplaceFn>(*entries_, kReplace);
    const std::string_view bytes = target.View(), replacement = replacementPattern_.View();
    Reply reply;
    const VeltoStatus status
        = replace(handle_, bytes.data(), bytes.size(), replacement.data(), replacement.size(), reply.C());
    reply.Check(status);
    return status == VELTO_REGEX_NO_MATCH ? target : reply.Text();
}

String RegEx::Replace(const String& target, Int32 startByte)
{
    const std::size_t start = StartByte(startByte);
    PushOptions();
    auto replace = EntryAs<VeltoRegExReplaceFromFn>(*entries_, kReplaceFrom);
    const std::string_view bytes = target.View(), replacement = replacementPattern_.View();
    Reply reply;
    const VeltoStatus status
        = replace(handle_, bytes.data(), bytes.size(), start, replacement.data(), replacement.size(), reply.C());
    reply.Check(status);
    return status == VELTO_REGEX_NO_MATCH ? target : reply.Text();
}

String RegEx::Replace()
{
    PushOptions();
    auto replace = EntryAs<VeltoRegExReplaceAgainFn>(*entries_, kReplaceAgain);
    const std::string_view replacement = replacementPattern_.View();
    Reply reply;
    reply.Check(replace(handle_, replacement.data(), replacement.size(), reply.C()));
    return reply.Text();
}
