#pragma once

#include <QString>
#include <optional>

class CardPrinter;
struct HandlerContext;

// "Karte drucken": prints the card's content box as shown (saved or not) as
// one job, then hides the card's panel. A failed print leaves the panel open.
namespace Print {
std::optional<QString> print(HandlerContext& ctx, CardPrinter& printer, int card);
}
