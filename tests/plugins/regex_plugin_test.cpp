// The regular-expression module as the framework finds it: every entry by
// its full name, a missing or unusable module and missing names reported
// clearly, and the C entries' own handling of bad arguments.
#include "Exceptions.h"
#include "Plugin.h"
#include "RegEx.h"
#include "RegExPluginABI.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <gnu/lib-names.h>
#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>

namespace {

template <class E, class F>
std::string MessageOf(F&& f)
{
    std::string message;
    EXPECT_THROW(
        {
            try {
                f();
            } catch (const E& e) {
                message = e.Message();
                throw;
            }
        },
        E);
    return message;
}

// The path of the C library this process runs on: a shared object that
// surely loads and has no plug-in table. The dynamic linker is asked for it by
// name; where dlopen lives will not do, since a sanitizer linked into the
// executable defines its own dlopen there.
std::string LoadedCLibraryPath()
{
    void* handle = dlopen(LIBC_SO, RTLD_LAZY | RTLD_NOLOAD);
    if (!handle)
        return {};
    link_map* map = nullptr;
    std::string path;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name)
        path = map->l_name;
    dlclose(handle);
    return path;
}

// Each test starts and ends with the module of the build folder installed.
class RegExPluginTest : public testing::Test {
protected:
    void SetUp() override { InstallRegExModule(); }
    void TearDown() override
    {
        SetPluginModulePath("");
        InstallRegExModule();
    }
};

TEST_F(RegExPluginTest, EveryEntryIsFoundByItsExactFullName)
{
    const auto& names = RegExEntryNames();
    std::set<PluginEntry> distinct;
    for (std::string_view name : names) {
        SCOPED_TRACE(std::string(name));
        PluginEntry entry = LookupPluginEntry(name);
        EXPECT_NE(entry, nullptr);
        distinct.insert(entry);
    }
    // Both forms of RegExMatch.Replace share one function.
    EXPECT_EQ(distinct.size(), names.size() - 1);
    EXPECT_EQ(names[2], "RegEx.Search(TargetString as String) as RegExMatch");
    EXPECT_EQ(names[18], "RegExMatch.SubExpressionStartB(MatchNumber as Integer) as Integer");

    const char* strangers[] = {
        "RegEx.Nope",
        "",
        "RegEx.__INIT",
        "RegExMatch.Replace(ReplacementPattern as String) as String",  // the module spells it "string"
        "RegEx.Search(TargetString as String) as RegExMatch ",
        "velto_plugin_entries",
    };
    for (const char* name : strangers) {
        SCOPED_TRACE(name);
        EXPECT_EQ(LookupPluginEntry(name), nullptr);
    }
    EXPECT_EQ(DescribePluginModule(), "velto-regex.so loaded from " VELTO_PLUGIN_BUILD_DIR "/velto-regex.so");
}

TEST_F(RegExPluginTest, AnUnusableModuleIsReportedWithItsPathWhenAnEntryIsCalled)
{
    const auto folder = std::filesystem::temp_directory_path() / ("velto-plugin-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string notAModule = (folder / "velto-regex.so").string();
    std::ofstream(notAModule) << std::string(4096, '#');  // longer than any ELF header
    const std::string libc = LoadedCLibraryPath();
    ASSERT_FALSE(libc.empty()) << "the dynamic linker names no path for " LIBC_SO;

    struct Case {
        std::string path, reason;
    };
    const Case cases[] = {
        { "/nonexistent/velto-regex.so",
          "/nonexistent/velto-regex.so: cannot open shared object file: No such file or directory" },
        { notAModule, notAModule + ": invalid ELF header" },
        { libc, libc + ": exports no velto_plugin_entries" },
    };
    std::string allNames;
    for (std::string_view name : RegExEntryNames())
        allNames += (allNames.empty() ? "\"" : ", \"") + std::string(name) + "\"";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        SetPluginModulePath(c.path);
        InstallRegExModule();
        const std::string origin = "velto-regex.so could not be loaded (" + c.reason + ")";
        EXPECT_EQ(DescribePluginModule(), origin);
        EXPECT_EQ(MessageOf<FunctionNotFoundException>([] { New<RegEx>(); }),
                  "The regular-expression entry \"RegEx.__init\" is missing: " + origin
                      + ". Missing entries: " + allNames);
        EXPECT_NE(MessageOf<FunctionNotFoundException>([] { New<RegExMatch>(); }).find("\"RegExMatch.__init\" is missing"),
                  std::string::npos);
    }
    std::filesystem::remove_all(folder);

    // Pointing back at the real module works again.
    SetPluginModulePath(VELTO_PLUGIN_BUILD_DIR "/velto-regex.so");
    InstallRegExModule();
    Ref<RegEx> re = New<RegEx>();
    re->SearchPattern(";.*");
    EXPECT_EQ(re->Replace("a;b").View(), "a");
}

TEST_F(RegExPluginTest, AFakeLookupsMissingNamesAreReportedTogether)
{
    const auto& names = RegExEntryNames();
    const std::set<std::string_view> withheld = { names[2], names[9], names[17] };
    PluginEntryTable table = ResolvePluginEntries(names, [&](std::string_view name) -> PluginEntry {
        return withheld.count(name) ? nullptr : LookupPluginEntry(name);
    });
    const std::vector<std::string> expectedMissing = { std::string(names[2]), std::string(names[9]),
                                                       std::string(names[17]) };
    EXPECT_EQ(table.MissingNames(), expectedMissing);
    EXPECT_EQ(table.Get(2), nullptr);
    EXPECT_NE(table.Get(3), nullptr);

    Ref<RegEx> before = New<RegEx>();   // keeps the complete entries
    table.Origin("a test lookup");
    InstallRegExEntries(std::move(table));
    Ref<RegEx> re = New<RegEx>();
    re->SearchPattern("(b)");

    const std::string tail = ": a test lookup. Missing entries: \"" + expectedMissing[0] + "\", \"" + expectedMissing[1]
                             + "\", \"" + expectedMissing[2] + "\"";
    struct Case {
        std::function<void()> call;
        std::string_view entry;
    };
    const Case cases[] = {
        { [&] { re->Search("abc"); }, names[2] },
        { [&] {
             Ref<RegEx> other = New<RegEx>();
             other->Options()->CaseSensitive(true);
             other->Replace("abc");
         },
          names[9] },
        { [&] { re->Search("abc", 0)->SubExpressionString(1); }, names[17] },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.entry));
        EXPECT_EQ(MessageOf<FunctionNotFoundException>(c.call),
                  "The regular-expression entry \"" + std::string(c.entry) + "\" is missing" + tail);
    }
    // What the missing names do not touch still works, in old and new objects.
    EXPECT_EQ(re->Search("abc", 0)->SubExpressionStartB(1), 1);
    before->SearchPattern("(b)");
    EXPECT_EQ(before->Search("abc")->SubExpressionString(1).View(), "b");
}

TEST_F(RegExPluginTest, MisusedTablesRaise)
{
    EXPECT_EQ(MessageOf<UnsupportedOperationException>([] { InstallRegExEntries(PluginEntryTable(18)); }),
              "The regular-expression entries need a table of 19 entries, not 18");
    PluginEntryTable table(2);
    EXPECT_EQ(MessageOf<OutOfBoundsException>([&] { table.Set(2, nullptr); }),
              "Plug-in entry 2 is outside a table of 2 entries");
    EXPECT_EQ(MessageOf<OutOfBoundsException>([&] { table.Get(5); }),
              "Plug-in entry 5 is outside a table of 2 entries");
}

// The C entries themselves: a bad call gets a status and exactly one message,
// and no text.
TEST_F(RegExPluginTest, TheCEntriesAnswerBadCallsWithAStatusAndOneMessage)
{
    struct Collected {
        int texts = 0, errors = 0;
        std::string message;
    } got;
    VeltoRegExReply reply{ &got,
                           [](void* c, const char*, size_t) { ++static_cast<Collected*>(c)->texts; },
                           [](void* c, const char* p, size_t n) {
                               auto& g = *static_cast<Collected*>(c);
                               ++g.errors;
                               g.message.assign(p, n);
                           } };
    auto entry = [](std::size_t i) { return LookupPluginEntry(RegExEntryNames()[i]); };
    auto init = reinterpret_cast<VeltoRegExInitFn>(entry(0));
    auto exit = reinterpret_cast<VeltoRegExExitFn>(entry(1));
    auto search = reinterpret_cast<VeltoRegExSearchFn>(entry(2));
    auto setPattern = reinterpret_cast<VeltoRegExSetPatternFn>(entry(8));
    auto setOptions = reinterpret_cast<VeltoRegExSetOptionsFn>(entry(9));
    auto optionsInit = reinterpret_cast<VeltoRegExOptionsInitFn>(entry(10));
    auto optionsExit = reinterpret_cast<VeltoRegExOptionsExitFn>(entry(11));
    auto matchInit = reinterpret_cast<VeltoRegExMatchInitFn>(entry(13));
    auto matchExit = reinterpret_cast<VeltoRegExMatchExitFn>(entry(14));
    auto matchString = reinterpret_cast<VeltoRegExMatchStringFn>(entry(17));

    VeltoRegEx* regex = nullptr;
    VeltoRegExMatch* match = nullptr;
    VeltoRegExOptions* options = nullptr;
    ASSERT_EQ(init(&regex, &reply), VELTO_REGEX_OK);
    ASSERT_EQ(matchInit(&match, &reply), VELTO_REGEX_OK);
    ASSERT_EQ(optionsInit(&options, &reply), VELTO_REGEX_OK);
    const VeltoRegExFlags flags{ 1, 0, 0, 0 };

    struct Case {
        const char* what;
        std::function<VeltoStatus()> call;
        VeltoStatus status;
        std::string message;
    };
    const Case cases[] = {
        { "no handle", [&] { return search(nullptr, "a", 1, match, nullptr, &reply); }, VELTO_REGEX_BAD_ARGUMENT,
          "No RegEx was given" },
        { "length without bytes", [&] { return setPattern(regex, nullptr, 3, &reply); }, VELTO_REGEX_BAD_ARGUMENT,
          "The search pattern has a length but no bytes" },
        { "pattern not UTF-8", [&] { return setPattern(regex, "a\xc3", 2, &reply); }, VELTO_REGEX_BAD_PATTERN,
          "The search pattern \"a\xc3\" is not valid: UTF-8 error: 1 byte missing at end at offset 1" },
        { "no options", [&] { return setOptions(regex, nullptr, &flags, &reply); }, VELTO_REGEX_BAD_ARGUMENT,
          "No RegExOptions was given" },
        { "empty match", [&] { return matchString(match, 0, &reply); }, VELTO_REGEX_OUT_OF_RANGE,
          "Sub-expression 0 does not exist: this RegExMatch holds no match" },
        { "no place for a handle", [&] { return init(nullptr, &reply); }, VELTO_REGEX_BAD_ARGUMENT,
          "No place for the new RegEx was given" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        got = {};
        EXPECT_EQ(c.call(), c.status);
        EXPECT_EQ(got.errors, 1);
        EXPECT_EQ(got.texts, 0);
        EXPECT_EQ(got.message, c.message);
    }
    // Without a reply a failure is still only a status.
    EXPECT_EQ(setPattern(regex, "(", 1, nullptr), VELTO_REGEX_BAD_PATTERN);
    EXPECT_EQ(search(regex, nullptr, 0, match, nullptr, nullptr), VELTO_REGEX_OK);

    exit(regex);
    matchExit(match);
    optionsExit(options);
    exit(nullptr);
}

} // namespace
