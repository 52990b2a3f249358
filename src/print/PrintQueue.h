#pragma once

#include <QString>
#include <optional>

// What the print system itself says about a queue and a job, where the
// platform lets us ask. Qt reports neither a queue that rejects jobs nor a job
// the print system refused: the painter begins and ends as if all was well.
namespace PrintQueue {

// Why the named queue would not take a job now, or nothing when it would or
// when the platform cannot tell.
std::optional<QString> refusal(const QString& printerName);

// Asked right after a job was handed over on this thread: why the print
// system did not take it, or nothing when it did or the platform cannot tell.
std::optional<QString> handOverFailure();

} // namespace PrintQueue
