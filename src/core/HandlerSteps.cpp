#include "core/HandlerSteps.h"

#include "core/StepFailure.h"

#include <new>

namespace HandlerSteps {

std::optional<QString> tryStep(const Step& step)
{
    try {
        step();
        return std::nullopt;
    } catch (const StepFailure& failure) {
        return failure.message();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Nicht genug Speicher");
    } catch (const std::exception& other) {
        return QString::fromLocal8Bit(other.what());
    } catch (...) {
        return QStringLiteral("Unbekannter Fehler");
    }
}

std::optional<QString> stopAtFirstFailure(const std::vector<Step>& steps)
{
    for (const Step& step : steps) {
        if (auto failure = tryStep(step))
            return failure;
    }
    return std::nullopt;
}

int skipFailingSteps(const std::vector<Step>& steps)
{
    int failed = 0;
    for (const Step& step : steps) {
        if (tryStep(step))
            ++failed;
    }
    return failed;
}

} // namespace HandlerSteps
