#include "print/PrintQueue.h"

// Where the print system cannot be asked, QPainter's own answers are all the
// program has.
namespace PrintQueue {

std::optional<QString> refusal(const QString&)
{
    return std::nullopt;
}

std::optional<QString> handOverFailure()
{
    return std::nullopt;
}

} // namespace PrintQueue
