#pragma once
// The error type that the shared routines raise where the system says a call "fails";
// callers catch it (or std::exception) and decide what follows.
#include <QString>
#include <stdexcept>

class WageError : public std::runtime_error {
public:
    explicit WageError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
