#include "store/StoreNumbers.h"

#include "store/SerializedStore.h"
#include "store/SingleNumber.h"

float readStoredNumber(SerializedStore& store, const QString& key, const QString& defaultValue)
{
    const QString text = store.read(key, defaultValue);
    if (const auto value = SingleNumber::parse(text))
        return *value;
    const QString shown = text.size() > 40 ? text.left(40) + QStringLiteral("…") : text;
    throw StepFailure(QStringLiteral("Der gespeicherte Wert \u201E%1\u201C ist keine Zahl: \u201E%2\u201C")
                          .arg(key, shown));
}
