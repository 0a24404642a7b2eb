#include "tools/kelvoctl/ctl_options.h"

namespace kelvo::ctl {

std::string TParsedArgs::Value(const std::string& name, const std::string& fallback) const {
    const auto it = Values.find(name);
    return it == Values.end() ? fallback : it->second;
}

TParsedArgs ParseArgs(const std::vector<std::string>& args,
                      const std::set<std::string>& valueOptions,
                      const std::set<std::string>& flagOptions) {
    TParsedArgs parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            parsed.Positional.push_back(arg);
            continue;
        }
        std::string name = arg;
        std::string value;
        bool inlineValue = false;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        if (valueOptions.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    parsed.Error = "option " + name + " needs a value";
                    return parsed;
                }
                value = args[++i];
            }
            parsed.Values[name] = value;
        } else if (flagOptions.count(name) && !inlineValue) {
            parsed.Flags.insert(name);
        } else {
            parsed.Error = "unknown option " + arg;
            return parsed;
        }
    }
    return parsed;
}

} // namespace kelvo::ctl
