#pragma once

#include <QLocale>
#include <QString>
#include <optional>

// Text to single-precision number and back, as the store keeps geometry.
namespace SingleNumber {

// Accepts the plain C form ("-120", "12.5", "1e3") and the given locale's form
// ("12,5" in German). Fails on the empty text, anything that is not a number,
// NaN, the infinities and values outside the single-precision range.
std::optional<float> parse(const QString& text, const QLocale& locale = QLocale::system());

// Whole numbers as plain decimal digits with "-" before negatives ("-120",
// "900"); other values in the shortest C form that reads back to the same float.
QString format(float value);

} // namespace SingleNumber
