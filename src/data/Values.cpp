#include "data/Values.h"

namespace corvel::values {

QString toText(const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (value.metaType().id() == QMetaType::QByteArray)
        return QString::fromUtf8(value.toByteArray());
    return value.toString();
}

bool toBoolean(const QVariant &value)
{
    if (value.isNull())
        return false;
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString text = toText(value).trimmed();
        if (text.compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
            return true;
        bool ok = false;
        const double number = text.toDouble(&ok);
        return ok && number != 0;
    }
    default:
        return value.toDouble() != 0;
    }
}

QDateTime toDateTime(const QVariant &value)
{
    if (value.isNull())
        return QDateTime();
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return value.toDateTime();
    case QMetaType::QDate:
        return value.toDate().startOfDay();
    default:
        break;
    }
    QString text = toText(value).trimmed();
    if (text.size() > 10 && text.at(10) == u' ')
        text[10] = u'T';
    QDateTime result = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!result.isValid()) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            result = date.startOfDay();
    }
    return result;
}

qint64 toInt64(const QVariant &value)
{
    if (value.isNull())
        return 0;
    if (value.metaType().id() == QMetaType::Bool)
        return value.toBool() ? 1 : 0;
    bool ok = false;
    const qint64 number = value.toLongLong(&ok);
    return ok ? number : 0;
}

QByteArray toBytes(const QVariant &value)
{
    if (value.isNull())
        return QByteArray();
    if (value.metaType().id() == QMetaType::QString)
        return value.toString().toUtf8();
    return value.toByteArray();
}

} // namespace corvel::values
