#pragma once

#include "app/StepFailure.h"

#include <QString>

// The store refused a read or a write. The message names the key, the file and
// the cause, ready to be shown to the user.
class StoreError : public StepFailure
{
public:
    using StepFailure::StepFailure;
};

// The per-user store of notes, titles and window geometry: text values under
// application and section "MIRTAL". Keys are matched without regard to case,
// a write is seen by every later read, and a value comes back exactly as
// written. Both operations run synchronously and throw StoreError when the
// store refuses them.
class NoteStore
{
public:
    virtual ~NoteStore() = default;

    // The stored text, or defaultValue when the key does not exist (an empty
    // stored text is returned as empty, not as the default).
    virtual QString read(const QString& key, const QString& defaultValue) = 0;

    // Creates the key or replaces its value.
    virtual void write(const QString& key, const QString& value) = 0;
};
