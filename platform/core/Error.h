#pragma once

#include <QString>
#include <stdexcept>

namespace tarnwick {

// The program's failures are exceptions that carry the text the operator is shown.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

// The message of any exception as the operator should read it.
inline QString messageOf(const std::exception &e)
{
    if (auto *err = dynamic_cast<const Error *>(&e))
        return err->message();
    return QString::fromUtf8(e.what());
}

} // namespace tarnwick
