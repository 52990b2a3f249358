#pragma once

#include <QString>
#include <exception>

// A step of a handler that could not be carried out: the store refused a write,
// a stored number did not convert, the window refused a size. Handlers never let
// it escape into Qt's event loop; HandlerSteps decides what happens next.
class StepFailure : public std::exception
{
public:
    explicit StepFailure(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
