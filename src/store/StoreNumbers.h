#pragma once

#include <QString>

class SerializedStore;

// Reads a key and converts it to a single-precision number; throws
// StepFailure when the text is not a number (the empty text included).
float readStoredNumber(SerializedStore& store, const QString& key, const QString& defaultValue);
