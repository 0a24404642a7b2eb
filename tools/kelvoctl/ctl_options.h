#pragma once
// A small argument reader for the subcommands: "--name value", "--name=value",
// flags, and plain arguments, in any order.
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kelvo::ctl {

struct TParsedArgs {
    std::vector<std::string> Positional;
    std::map<std::string, std::string> Values;
    std::set<std::string> Flags;
    // Empty when everything was understood; otherwise what went wrong.
    std::string Error;

    bool Has(const std::string& flag) const { return Flags.count(flag) != 0; }
    // The option's value, or fallback when it was not given.
    std::string Value(const std::string& name, const std::string& fallback = {}) const;
    bool HasValue(const std::string& name) const { return Values.count(name) != 0; }
};

// valueOptions take a value, flagOptions do not; anything else starting with
// "-" is an error. An argument starting with "/" is a path, not an option.
TParsedArgs ParseArgs(const std::vector<std::string>& args,
                      const std::set<std::string>& valueOptions,
                      const std::set<std::string>& flagOptions);

} // namespace kelvo::ctl
