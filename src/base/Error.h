#pragma once

#include <QString>

#include <stdexcept>

namespace vivrelo {

// The one exception type of the system. Its message is French text meant for the user;
// a window or the command line shows it as it stands.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString())
        , m_message(message)
    { }
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

[[noreturn]] inline void fail(const QString &message)
{
    throw Error(message);
}

} // namespace vivrelo
