#pragma once

// Private to the framework: the regular-expression entries as installed, for
// RegEx.cpp.

#include "Plugin.h"

#include <memory>
#include <string>
#include <vector>

struct RegExEntries {
    explicit RegExEntries(PluginEntryTable entries) : table(std::move(entries)) { }

    PluginEntryTable table;
    std::string origin;                 // where the entries came from
    std::vector<std::string> missing;   // every name without an entry

    // The entry, or raises FunctionNotFoundException naming it, the origin
    // and every missing name.
    PluginEntry Require(std::size_t index) const;
};

// The entries installed last; before any, one where every entry is missing.
std::shared_ptr<const RegExEntries> CurrentRegExEntries();
