#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace corvel {

// Base of every failure the launcher reports. The message is what the user reads; the type name
// appears in messages that name the kind of failure ("Something went wrong" after an upgrade).
class Error : public std::exception
{
public:
    explicit Error(QString message);

    const QString &message() const noexcept { return m_message; }
    virtual QString typeName() const { return QStringLiteral("Error"); }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

} // namespace corvel
