// Any text given as a stored geometry value either converts to a finite
// single-precision number that survives the trip back to text, or fails.
#include "store/SingleNumber.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QLocale locales[] = {QLocale::c(), QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::English, QLocale::UnitedStates)};
    const QString texts[] = {
        QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)),
        QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2)),
    };
    for (const QString& text : texts) {
        for (const QLocale& locale : locales) {
            const auto value = SingleNumber::parse(text, locale);
            if (!value)
                continue;
            if (!std::isfinite(*value))
                std::abort();
            // What the program writes must read back as the same number.
            const auto again = SingleNumber::parse(SingleNumber::format(*value), locale);
            if (!again || *again != *value)
                std::abort();
        }
    }
    return 0;
}
