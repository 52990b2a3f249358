#include "store/SingleNumber.h"

#include <cfloat>
#include <cmath>

namespace SingleNumber {

namespace {

std::optional<float> toSingle(const QString& text, const QLocale& locale)
{
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    // Beyond the midpoint between FLT_MAX and the next power of two a value
    // would round to infinity in single precision.
    constexpr double firstBeyondSingle = 0x1.ffffffp+127;
    if (!ok || !std::isfinite(value) || std::fabs(value) >= firstBeyondSingle)
        return std::nullopt;
    return float(value);
}

} // namespace

std::optional<float> parse(const QString& text, const QLocale& locale)
{
    // The C form is what this program writes, so it is tried first; group
    // separators are refused there so that a German "12,5" is not read as 125.
    QLocale plain = QLocale::c();
    plain.setNumberOptions(QLocale::RejectGroupSeparator);
    if (auto value = toSingle(text, plain))
        return value;
    if (locale.language() == QLocale::C)
        return std::nullopt;
    return toSingle(text, locale);
}

QString format(float value)
{
    if (value == 0.0f)
        return QStringLiteral("0");
    if (std::isfinite(value) && std::nearbyint(value) == value && std::fabs(value) < 1e15f)
        return QString::number(qint64(value));
    return QString::number(double(value), 'g', FLT_DECIMAL_DIG);
}

} // namespace SingleNumber
