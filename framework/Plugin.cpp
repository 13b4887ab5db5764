#include "Plugin.h"

#include "Exceptions.h"
#include "RegExEntries.h"
#include "RegExPluginABI.h"

#include <QCoreApplication>

#include <dlfcn.h>
#include <unistd.h>

#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

constexpr const char* kModuleFileName = "velto-regex.so";

struct ModuleState {
    std::mutex mutex;
    std::string explicitPath;
    bool attempted = false;
    std::string description = "the plug-in module has not been looked for yet";
    // The keys are the module's own static names; a module once loaded is
    // never unmapped, so they stay valid.
    std::unordered_map<std::string_view, PluginEntry> entries;
};

ModuleState& Module()
{
    static ModuleState state;
    return state;
}

std::string ProgramFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath().toStdString();
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0)
        return {};
    path.resize(static_cast<std::size_t>(length));
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::vector<std::string> CandidatePaths(const std::string& explicitPath)
{
    if (!explicitPath.empty())
        return { explicitPath };
    std::vector<std::string> paths;
    // Beside the program in the build tree; in the library folder next to the
    // installed program's, wherever the installation was put; where it was
    // configured to go.
    if (std::string folder = ProgramFolder(); !folder.empty()) {
        paths.push_back(folder + "/" + kModuleFileName);
        paths.push_back(folder + "/../" + VELTO_PLUGIN_RELATIVE_DIR + "/" + kModuleFileName);
    }
    paths.push_back(std::string(VELTO_PLUGIN_INSTALL_DIR) + "/" + kModuleFileName);
    return paths;
}

// Opens the module at path and reads its table; "" on success, else why not.
std::string TryLoad(const std::string& path, std::unordered_map<std::string_view, PluginEntry>& entries)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        return error ? std::string(error) : path + ": cannot be loaded";
    }
    auto list = reinterpret_cast<VeltoPluginEntriesFn>(dlsym(handle, VELTO_PLUGIN_ENTRIES_SYMBOL));
    const VeltoPluginTable* table = list ? list() : nullptr;
    std::string problem;
    if (!list)
        problem = path + ": exports no " + VELTO_PLUGIN_ENTRIES_SYMBOL;
    else if (!table || (table->count != 0 && !table->entries))
        problem = path + ": hands out no entry table";
    else if (table->abiVersion != VELTO_PLUGIN_ABI_VERSION)
        problem = path + ": has plug-in interface version " + std::to_string(table->abiVersion) + ", not "
                  + std::to_string(VELTO_PLUGIN_ABI_VERSION);
    if (!problem.empty()) {
        dlclose(handle);  // nothing of it was handed out
        return problem;
    }
    for (std::size_t i = 0; i < table->count; ++i) {
        const VeltoPluginEntry& entry = table->entries[i];
        if (entry.name && entry.function)
            entries.emplace(entry.name, reinterpret_cast<PluginEntry>(entry.function));
    }
    return {};
}

void LoadOnce(ModuleState& state)
{
    if (state.attempted)
        return;
    state.attempted = true;
    std::string failures;
    for (const std::string& path : CandidatePaths(state.explicitPath)) {
        std::string problem = TryLoad(path, state.entries);
        if (problem.empty()) {
            state.description = std::string(kModuleFileName) + " loaded from " + path;
            return;
        }
        failures += (failures.empty() ? "" : "; ") + problem;
    }
    state.description = std::string(kModuleFileName) + " could not be loaded (" + failures + ")";
}

std::string QuotedList(const std::vector<std::string>& names)
{
    std::string list;
    for (const auto& name : names)
        list += (list.empty() ? "\"" : ", \"") + name + "\"";
    return list;
}

std::shared_ptr<const RegExEntries>& InstalledRegEx()
{
    static std::shared_ptr<const RegExEntries> installed = [] {
        auto none = std::make_shared<RegExEntries>(PluginEntryTable(RegExEntryNames().size()));
        none->origin = "no regular-expression entries were installed; start-up installs them";
        none->missing.assign(RegExEntryNames().begin(), RegExEntryNames().end());
        return std::shared_ptr<const RegExEntries>(std::move(none));
    }();
    return installed;
}

} // namespace

PluginEntry LookupPluginEntry(std::string_view fullName)
{
    ModuleState& state = Module();
    std::lock_guard lock(state.mutex);
    LoadOnce(state);
    auto it = state.entries.find(fullName);
    return it == state.entries.end() ? nullptr : it->second;
}

void SetPluginModulePath(std::string path)
{
    ModuleState& state = Module();
    std::lock_guard lock(state.mutex);
    state.explicitPath = std::move(path);
    state.attempted = false;
    state.entries.clear();
    state.description = "the plug-in module has not been looked for yet";
}

std::string DescribePluginModule()
{
    ModuleState& state = Module();
    std::lock_guard lock(state.mutex);
    return state.description;
}

PluginEntryTable::PluginEntryTable(std::size_t size)
    : entries_(size, nullptr)
{
}

void PluginEntryTable::Set(std::size_t index, PluginEntry entry)
{
    if (index >= entries_.size())
        Raise<OutOfBoundsException>("Plug-in entry " + std::to_string(index) + " is outside a table of "
                                    + std::to_string(entries_.size()) + " entries");
    entries_[index] = entry;
}

PluginEntry PluginEntryTable::Get(std::size_t index) const
{
    if (index >= entries_.size())
        Raise<OutOfBoundsException>("Plug-in entry " + std::to_string(index) + " is outside a table of "
                                    + std::to_string(entries_.size()) + " entries");
    return entries_[index];
}

PluginEntryTable ResolvePluginEntries(std::span<const std::string_view> names, const PluginLookup& lookup)
{
    PluginEntryTable table(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        PluginEntry entry = lookup(names[i]);
        table.Set(i, entry);
        if (!entry)
            table.NoteMissing(std::string(names[i]));
    }
    return table;
}

const std::array<std::string_view, 19>& RegExEntryNames()
{
    static constexpr std::array<std::string_view, 19> names = {
        "RegEx.__init",
        "RegEx.__exit",
        "RegEx.Search(TargetString as String) as RegExMatch",
        "RegEx.Search(TargetString as String, SearchStartPosition as Integer) as RegExMatch",
        "RegEx.Search() as RegExMatch",
        "RegEx.Replace(TargetString as String) as String",
        "RegEx.Replace(TargetString as String, SearchStartPosition as Integer) as String",
        "RegEx.Replace() as String",
        "RegEx.SearchPattern.Set",
        "RegEx.Options.Set",
        "RegExOptions.__init",
        "RegExOptions.__exit",
        "RegExOptions.LineEndType.Set",
        "RegExMatch.__init",
        "RegExMatch.__exit",
        "RegExMatch.Replace() as String",
        "RegExMatch.Replace(ReplacementPattern as string) as String",
        "RegExMatch.SubExpressionString(MatchNumber as Integer) as String",
        "RegExMatch.SubExpressionStartB(MatchNumber as Integer) as Integer",
    };
    static_assert(names.size() == VELTO_REGEX_ENTRY_COUNT);
    return names;
}

void InstallRegExEntries(PluginEntryTable table)
{
    const auto& names = RegExEntryNames();
    if (table.Size() != names.size())
        Raise<UnsupportedOperationException>("The regular-expression entries need a table of "
                                             + std::to_string(names.size()) + " entries, not "
                                             + std::to_string(table.Size()));
    auto installed = std::make_shared<RegExEntries>(std::move(table));
    installed->origin = installed->table.Origin().empty() ? DescribePluginModule() : installed->table.Origin();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!installed->table.Get(i))
            installed->missing.emplace_back(names[i]);
    }
    InstalledRegEx() = std::move(installed);
}

std::shared_ptr<const RegExEntries> CurrentRegExEntries()
{
    return InstalledRegEx();
}

PluginEntry RegExEntries::Require(std::size_t index) const
{
    if (PluginEntry entry = index < table.Size() ? table.Get(index) : nullptr)
        return entry;
    const auto& names = RegExEntryNames();
    const std::string name = index < names.size() ? std::string(names[index]) : "#" + std::to_string(index);
    Raise<FunctionNotFoundException>("The regular-expression entry \"" + name + "\" is missing: " + origin
                                     + ". Missing entries: " + QuotedList(missing));
}
