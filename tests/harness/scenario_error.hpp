// The one error that the harness throws.
#pragma once

#include <stdexcept>

namespace harness {

// A wait that ran out, or a step that could not be done. Thrown from the
// harness, it ends the scenario; GoogleTest reports its text, which carries
// what was awaited and what the terminal showed.
class ScenarioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace harness
