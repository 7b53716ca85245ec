// The plug-in's six dialog parameters and the host's parameter store.
#pragma once

#include <array>
#include <map>
#include <string>

namespace zevkalon {

// One dialog parameter as the dialog script (plugin_files/Tessarin.js)
// declares it. The command line uses the same defaults and ranges, and a test
// keeps the two in step.
struct DialogParameter {
    const char* name;       // the name under which the plug-in reads it
    const char* option;     // the command-line option that sets it
    bool isFloat;           // read with zkGetFloatParameter, else zkGetIntParameter
    double defaultValue;
    double minimum;         // inclusive range
    double maximum;
};

// The six parameters in the order in which the plug-in reads them.
const std::array<DialogParameter, 6>& dialogParameters();

// The parameter values of one run, answered by name. Unknown names are
// reported by found() so the host functions can say so.
class ParameterStore {
public:
    // Starts with every parameter at its default.
    ParameterStore();
    // Precondition: name is one of dialogParameters().
    void set(const std::string& name, double value);
    bool found(const std::string& name) const { return values_.count(name) != 0; }
    // 0 for an unknown name.
    double get(const std::string& name) const;

private:
    std::map<std::string, double> values_;
};

}  // namespace zevkalon
