#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// An untyped plug-in entry; its user casts it to the entry's real type.
using PluginEntry = void (*)();

// The one lookup of a plug-in entry by its full name. Loads the module
// (velto-regex.so) on first use, from the folder of the running program and
// then from the install folder; nullptr for a missing module or name.
PluginEntry LookupPluginEntry(std::string_view fullName);
// Makes the lookup use this module file instead ("" restores the search) and
// forgets the module loaded so far. It stays mapped, so entries already
// handed out remain callable.
void SetPluginModulePath(std::string path);
// Where the module was looked for and with what outcome, for messages.
std::string DescribePluginModule();

// A fixed number of entries, each nullptr until set. Indices outside raise
// OutOfBoundsException.
class PluginEntryTable {
public:
    explicit PluginEntryTable(std::size_t size);

    void Set(std::size_t index, PluginEntry entry);
    PluginEntry Get(std::size_t index) const;
    std::size_t Size() const noexcept { return entries_.size(); }

    // Names that a resolution did not find, in lookup order, so that a
    // failure can report them all at once.
    const std::vector<std::string>& MissingNames() const noexcept { return missing_; }
    void NoteMissing(std::string name) { missing_.push_back(std::move(name)); }
    // What the entries were looked up in; "" for the plug-in module.
    const std::string& Origin() const noexcept { return origin_; }
    void Origin(std::string origin) { origin_ = std::move(origin); }

private:
    std::vector<PluginEntry> entries_;
    std::vector<std::string> missing_;
    std::string origin_;
};

using PluginLookup = std::function<PluginEntry(std::string_view fullName)>;

// A table of names.size() entries, each looked up through lookup in order;
// every name it does not find is noted.
PluginEntryTable ResolvePluginEntries(std::span<const std::string_view> names, const PluginLookup& lookup);

// The full names of the regular-expression entries; the index is the entry's
// number.
const std::array<std::string_view, 19>& RegExEntryNames();
// Makes RegEx, RegExOptions and RegExMatch use these entries from now on
// (objects made before keep theirs). The table must have one entry per name;
// a missing one raises FunctionNotFoundException when it is first called.
void InstallRegExEntries(PluginEntryTable table);
