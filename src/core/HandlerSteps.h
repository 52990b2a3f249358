#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

// The two ways a handler treats a failing step, each written once.
//
// A step is any callable; it fails by throwing (StepFailure or any other
// std::exception). Nothing thrown by a step escapes these functions, so no
// failure can unwind through Qt's event loop and end the program.
namespace HandlerSteps {

using Step = std::function<void()>;

// Runs the steps in order until one fails. The steps before it keep their
// effect, the steps after it do not run. Returns the failure's message, or
// nothing when every step ran.
std::optional<QString> stopAtFirstFailure(const std::vector<Step>& steps);

// Runs every step; a failing step is skipped without a message and the next
// one runs. Returns how many steps failed.
int skipFailingSteps(const std::vector<Step>& steps);

// Runs one step and returns its failure's message, if any.
std::optional<QString> tryStep(const Step& step);

} // namespace HandlerSteps
