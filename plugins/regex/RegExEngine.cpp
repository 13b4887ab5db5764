#include "RegExEngine.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace velto_regex {

namespace {

constexpr std::size_t kCacheSize = 8;

[[noreturn]] void Fail(VeltoStatus status, std::string message)
{
    throw EngineError{ status, std::move(message) };
}

std::string Pcre2Message(int code)
{
    PCRE2_UCHAR buffer[256];
    int length = pcre2_get_error_message(code, buffer, sizeof buffer);
    if (length < 0)
        return "PCRE2 error " + std::to_string(code);
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
}

std::uint32_t NewlineOf(std::int32_t lineEndType)
{
    switch (lineEndType) {
    case VELTO_REGEX_LINE_END_ANY: return PCRE2_NEWLINE_ANY;
    case VELTO_REGEX_LINE_END_CR: return PCRE2_NEWLINE_CR;
    case VELTO_REGEX_LINE_END_LF: return PCRE2_NEWLINE_LF;
    case VELTO_REGEX_LINE_END_CRLF: return PCRE2_NEWLINE_CRLF;
    case VELTO_REGEX_LINE_END_ANY_CRLF: return PCRE2_NEWLINE_ANYCRLF;
    default: return 0;
    }
}

// \C could end a match inside a character, which would break the offsets
// handed out and the later searches that start from them.
std::uint32_t CompileOptionsOf(const Settings& s)
{
    std::uint32_t options = PCRE2_UTF | PCRE2_UCP | PCRE2_NEVER_BACKSLASH_C;
    if (!s.caseSensitive)
        options |= PCRE2_CASELESS;
    if (!s.greedy)
        options |= PCRE2_UNGREEDY;
    if (s.dotMatchAll)
        options |= PCRE2_DOTALL;
    return options;
}

// The offset of the first byte that does not begin a valid UTF-8 sequence
// (overlong forms, surrogates and values past U+10FFFF included), or npos.
std::size_t FirstInvalidUtf8(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length;
        unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else {
            return i;
        }
        if (n - i < length || p[i + 1] < low || p[i + 1] > high)
            return i;
        for (std::size_t k = 2; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return i;
        }
        i += length;
    }
    return std::string_view::npos;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

} // namespace

void CheckLineEndType(std::int32_t lineEndType)
{
    if (NewlineOf(lineEndType) == 0)
        Fail(VELTO_REGEX_BAD_ARGUMENT, "LineEndType " + std::to_string(lineEndType)
                                           + " is not one of 0 (any), 1 (CR), 2 (LF), 3 (CRLF) or 4 (CR, LF or CRLF)");
}

void AppendExpansion(std::string& out, std::string_view replacement, std::string_view subject,
                     const PCRE2_SIZE* ovector, std::uint32_t count)
{
    std::size_t i = 0;
    while (i < replacement.size()) {
        std::size_t mark = replacement.find_first_of("\\$", i);
        if (mark == std::string_view::npos || mark + 1 == replacement.size()) {
            out.append(replacement.substr(i));
            return;
        }
        out.append(replacement.substr(i, mark - i));
        const char sign = replacement[mark];
        const char next = replacement[mark + 1];
        if (next >= '0' && next <= '9') {
            const std::uint32_t number = static_cast<std::uint32_t>(next - '0');
            if (number >= count) {
                std::string reference{ sign, next };
                if (count == 0)
                    Fail(VELTO_REGEX_BAD_ARGUMENT,
                         "The replacement pattern refers to " + reference + ", but there is no match to take it from");
                Fail(VELTO_REGEX_BAD_ARGUMENT, "The replacement pattern refers to " + reference
                                                   + ", but the search pattern has "
                                                   + (count == 1 ? std::string("no sub-expressions")
                                                                 : "only " + std::to_string(count - 1)
                                                                       + " sub-expression" + (count == 2 ? "" : "s")));
            }
            const PCRE2_SIZE start = ovector[2 * number], end = ovector[2 * number + 1];
            if (start != PCRE2_UNSET && end >= start)
                out.append(subject.substr(start, end - start));
            i = mark + 2;
        } else if (next == sign) {
            out.push_back(sign);
            i = mark + 2;
        } else {
            out.push_back(sign);
            i = mark + 1;
        }
    }
}

void Match::Assign(std::shared_ptr<const std::string> target, const PCRE2_SIZE* ovector, std::uint32_t pairs,
                   std::uint32_t count)
{
    ovector_.assign(2 * static_cast<std::size_t>(count), PCRE2_UNSET);
    std::copy(ovector, ovector + 2 * static_cast<std::size_t>(std::min(pairs, count)), ovector_.begin());
    target_ = std::move(target);
    count_ = count;
}

void Match::CheckNumber(std::int32_t number) const
{
    if (number >= 0 && static_cast<std::uint32_t>(number) < count_)
        return;
    if (count_ == 0)
        Fail(VELTO_REGEX_OUT_OF_RANGE,
             "Sub-expression " + std::to_string(number) + " does not exist: this RegExMatch holds no match");
    Fail(VELTO_REGEX_OUT_OF_RANGE, "Sub-expression " + std::to_string(number)
                                       + " does not exist: the match has sub-expressions 0 to "
                                       + std::to_string(count_ - 1));
}

std::string_view Match::SubExpression(std::int32_t number) const
{
    CheckNumber(number);
    const PCRE2_SIZE start = ovector_[2 * number], end = ovector_[2 * number + 1];
    if (start == PCRE2_UNSET || end < start)
        return {};
    return std::string_view(*target_).substr(start, end - start);
}

std::int64_t Match::Start(std::int32_t number) const
{
    CheckNumber(number);
    const PCRE2_SIZE start = ovector_[2 * number];
    return start == PCRE2_UNSET ? -1 : static_cast<std::int64_t>(start);
}

std::string Match::Expand(std::string_view replacement) const
{
    std::string out;
    AppendExpansion(out, replacement, target_ ? std::string_view(*target_) : std::string_view(), ovector_.data(),
                    count_);
    return out;
}

struct Engine::Compiled {
    std::string pattern;
    std::uint32_t options = 0;
    std::uint32_t newline = 0;
    pcre2_code* code = nullptr;
    std::uint32_t pairs = 1;  // the whole match and each capture group

    ~Compiled() { pcre2_code_free(code); }
};

Engine::Engine()
{
    compileContext_ = pcre2_compile_context_create(nullptr);
    if (!compileContext_)
        throw std::bad_alloc();
}

Engine::~Engine()
{
    pcre2_match_data_free(matchData_);
    pcre2_match_context_free(matchContext_);
    pcre2_compile_context_free(compileContext_);
}

std::shared_ptr<Engine::Compiled> Engine::Compile(std::string_view pattern, const Settings& settings)
{
    const std::uint32_t options = CompileOptionsOf(settings);
    const std::uint32_t newline = NewlineOf(settings.lineEndType);
    auto hit = std::find_if(cache_.begin(), cache_.end(), [&](const std::shared_ptr<Compiled>& c) {
        return c->options == options && c->newline == newline && c->pattern == pattern;
    });
    if (hit != cache_.end()) {
        std::rotate(cache_.begin(), hit, hit + 1);
        return cache_.front();
    }

    pcre2_set_newline(compileContext_, newline);
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &error,
                                     &errorOffset, compileContext_);
    if (!code) {
        if (error == PCRE2_ERROR_NOMEMORY)
            throw std::bad_alloc();
        Fail(VELTO_REGEX_BAD_PATTERN, "The search pattern " + Quoted(pattern) + " is not valid: " + Pcre2Message(error)
                                          + " at offset " + std::to_string(errorOffset));
    }
    auto compiled = std::make_shared<Compiled>();
    compiled->code = code;
    compiled->pattern = pattern;
    compiled->options = options;
    compiled->newline = newline;
    std::uint32_t captures = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
    compiled->pairs = captures + 1;

    cache_.insert(cache_.begin(), compiled);
    if (cache_.size() > kCacheSize)
        cache_.pop_back();
    return compiled;
}

const Engine::Compiled& Engine::Current()
{
    if (!current_)
        current_ = Compile(pattern_, settings_);
    return *current_;
}

void Engine::SetPattern(std::string_view pattern)
{
    auto compiled = Compile(pattern, settings_);
    pattern_.assign(pattern);
    current_ = std::move(compiled);
}

void Engine::SetSettings(const Settings& settings)
{
    CheckLineEndType(settings.lineEndType);
    const bool recompile = CompileOptionsOf(settings) != CompileOptionsOf(settings_)
                           || settings.lineEndType != settings_.lineEndType;
    if (recompile && current_)
        current_ = Compile(pattern_, settings);
    settings_ = settings;
}

void Engine::TakeTarget(std::string_view target, std::size_t start)
{
    if (std::size_t bad = FirstInvalidUtf8(target); bad != std::string_view::npos)
        Fail(VELTO_REGEX_MATCH_FAILED, "The target is not valid UTF-8: byte " + std::to_string(bad)
                                           + " does not begin a UTF-8 character");
    if (start > target.size())
        Fail(VELTO_REGEX_OUT_OF_RANGE, "SearchStartPosition " + std::to_string(start)
                                           + " is beyond the end of the target (" + std::to_string(target.size())
                                           + " bytes)");
    if (start < target.size() && (static_cast<unsigned char>(target[start]) & 0xC0) == 0x80)
        Fail(VELTO_REGEX_OUT_OF_RANGE, "SearchStartPosition " + std::to_string(start)
                                           + " falls inside a character; it must be the byte offset of a character");

    // The buffer is reused when no match still holds the previous target.
    if (target_ && target_.use_count() == 1)
        target_->assign(target);
    else
        target_ = std::make_shared<std::string>(target);
    next_ = start;
    afterEmptyMatch_ = false;
    exhausted_ = false;
}

bool Engine::Exec(const Compiled& compiled, std::size_t offset, std::uint32_t options)
{
    if (matchPairs_ < compiled.pairs) {
        pcre2_match_data* data = pcre2_match_data_create(std::max<std::uint32_t>(compiled.pairs, 10), nullptr);
        if (!data)
            throw std::bad_alloc();
        pcre2_match_data_free(matchData_);
        matchData_ = data;
        matchPairs_ = pcre2_get_ovector_count(data);
    }
    // Every target was validated as it came in, and every offset is a
    // character's start, so PCRE2 need not check again on each call.
    // PCRE2's default limit of ten million steps is reached by ".*x" on a
    // line of that many characters; the limit grows with the target, so a
    // long line takes longer but still matches.
    if (!matchContext_ && !(matchContext_ = pcre2_match_context_create(nullptr)))
        throw std::bad_alloc();
    constexpr std::uint32_t kDefaultLimit = 10'000'000;
    const std::size_t steps = std::max<std::size_t>(kDefaultLimit, 4 * target_->size());
    pcre2_set_match_limit(matchContext_, static_cast<std::uint32_t>(std::min<std::size_t>(steps, UINT32_MAX)));
    const int rc = pcre2_match(compiled.code, reinterpret_cast<PCRE2_SPTR>(target_->data()), target_->size(), offset,
                               options | PCRE2_NO_UTF_CHECK, matchData_, matchContext_);
    if (rc == PCRE2_ERROR_NOMATCH)
        return false;
    if (rc == PCRE2_ERROR_NOMEMORY)
        throw std::bad_alloc();
    if (rc < 0)
        Fail(VELTO_REGEX_MATCH_FAILED, "The search for " + Quoted(compiled.pattern) + " failed: " + Pcre2Message(rc));
    return true;
}

bool Engine::FindNext(Match& into)
{
    if (exhausted_)
        return false;
    const Compiled& compiled = Current();
    if (!Exec(compiled, next_, afterEmptyMatch_ ? PCRE2_NOTEMPTY_ATSTART : 0)) {
        exhausted_ = true;
        return false;
    }
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData_);
    // After an empty match the next one may not be empty at the same place,
    // or Search() would find it forever.
    next_ = ovector[1];
    afterEmptyMatch_ = ovector[0] >= ovector[1];
    into.Assign(target_, ovector, compiled.pairs, compiled.pairs);
    return true;
}

bool Engine::Search(std::string_view target, std::size_t start, Match& into)
{
    TakeTarget(target, start);
    return FindNext(into);
}

bool Engine::SearchAgain(Match& into)
{
    if (!target_)
        Fail(VELTO_REGEX_BAD_ARGUMENT, "Search() without a target goes on with the previous target, but there is none");
    return FindNext(into);
}

bool Engine::ReplaceIn(std::size_t start, std::string_view replacement, std::string& result)
{
    const Compiled& compiled = Current();
    const std::string_view subject = *target_;
    std::string out;
    std::size_t offset = start, copied = 0;
    std::uint32_t options = 0;
    bool replaced = false;
    while (Exec(compiled, offset, options)) {
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(matchData_);
        const std::size_t end = ovector[1];
        const std::size_t begin = std::min<std::size_t>(ovector[0], end);
        if (!replaced)
            out.reserve(subject.size() + replacement.size());
        replaced = true;
        out.append(subject.substr(copied, begin - copied));
        AppendExpansion(out, replacement, subject, ovector, compiled.pairs);
        copied = end;
        if (!settings_.replaceAllMatches)
            break;
        offset = end;
        options = begin == end ? PCRE2_NOTEMPTY_ATSTART : 0;
    }
    if (!replaced)
        return false;
    out.append(subject.substr(copied));
    result = std::move(out);
    return true;
}

bool Engine::Replace(std::string_view target, std::size_t start, std::string_view replacement, std::string& result)
{
    TakeTarget(target, start);
    next_ = 0;
    return ReplaceIn(start, replacement, result);
}

void Engine::ReplaceAgain(std::string_view replacement, std::string& result)
{
    if (!target_)
        Fail(VELTO_REGEX_BAD_ARGUMENT, "Replace() without a target uses the previous target, but there is none");
    next_ = 0;
    afterEmptyMatch_ = false;
    exhausted_ = false;
    if (!ReplaceIn(0, replacement, result))
        result = *target_;
}

} // namespace velto_regex
