#include "prefs/IPv4AddressEdit.h"

#include "platform/TrimmedText.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace corvel {

namespace {

constexpr int kFieldCount = 4;
constexpr int kMaxOctet = 255;

int octetOf(const QString &part)
{
    if (part.isEmpty() || part.size() > 3)
        return 0;
    for (const QChar c : part) {
        if (c < u'0' || c > u'9')
            return 0;
    }
    const int value = part.toInt();
    return value <= kMaxOctet ? value : 0;
}

} // namespace

IPv4AddressEdit::IPv4AddressEdit(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto *digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,3}")), this);
    for (int i = 0; i < kFieldCount; ++i) {
        if (i > 0) {
            auto *dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
        auto *field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("field%1").arg(i + 1));
        field->setValidator(digits);
        field->setAlignment(Qt::AlignCenter);
        field->setText(QStringLiteral("0"));
        field->installEventFilter(this);
        // One Tab stop for the whole address; the other fields are reached from inside it.
        field->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        connect(field, &QLineEdit::textEdited, this, [this, i] { fieldEdited(i); });
        layout->addWidget(field, 1);
        m_fields.at(std::size_t(i)) = field;
    }
    setFocusProxy(m_fields.front());
    setFocusPolicy(Qt::StrongFocus);
}

IPv4AddressEdit::Octets IPv4AddressEdit::parse(const QString &text)
{
    QString rest = trimmedText(text);
    Octets octets{};
    for (int i = 0; i < kFieldCount; ++i) {
        QString part = rest;
        rest.clear();
        const qsizetype dot = part.indexOf(u'.');
        if (i < kFieldCount - 1 && dot >= 0) {
            rest = part.mid(dot + 1);
            part.truncate(dot);
        }
        octets.at(std::size_t(i)) = octetOf(part);
    }
    return octets;
}

void IPv4AddressEdit::setText(const QString &text)
{
    const Octets octets = parse(text);
    for (int i = 0; i < kFieldCount; ++i)
        m_fields.at(std::size_t(i))->setText(QString::number(octets.at(std::size_t(i))));
}

QString IPv4AddressEdit::text() const
{
    QStringList parts;
    for (const QLineEdit *field : m_fields)
        parts << QString::number(field->text().toInt());
    return parts.join(u'.');
}

void IPv4AddressEdit::setLabel(const QString &label)
{
    setAccessibleName(label);
    for (int i = 0; i < kFieldCount; ++i) {
        m_fields.at(std::size_t(i))
            ->setAccessibleName(QStringLiteral("%1, part %2 of 4").arg(label).arg(i + 1));
    }
}

bool IPv4AddressEdit::eventFilter(QObject *watched, QEvent *event)
{
    const int index = indexOf(watched);
    if (index < 0 || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const QLineEdit *field = m_fields.at(std::size_t(index));
    const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
    const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();
    switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        if (index + 1 < kFieldCount && !field->text().isEmpty())
            moveTo(index + 1, false);
        return true;
    case Qt::Key_Right:
        if (atEnd && index + 1 < kFieldCount) {
            moveTo(index + 1, false);
            return true;
        }
        break;
    case Qt::Key_Left:
        if (atStart && index > 0) {
            moveTo(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Backspace:
        if (atStart && index > 0) {
            moveTo(index - 1, true);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

int IPv4AddressEdit::indexOf(QObject *field) const
{
    for (int i = 0; i < kFieldCount; ++i) {
        if (m_fields.at(std::size_t(i)) == field)
            return i;
    }
    return -1;
}

void IPv4AddressEdit::moveTo(int index, bool caretAtEnd)
{
    QLineEdit *field = m_fields.at(std::size_t(index));
    field->setFocus(Qt::OtherFocusReason);
    if (caretAtEnd)
        field->end(false);
    else
        field->selectAll();
}

void IPv4AddressEdit::fieldEdited(int index)
{
    QLineEdit *field = m_fields.at(std::size_t(index));
    if (field->text().toInt() > kMaxOctet)
        field->setText(QString::number(kMaxOctet));
    if (field->text().size() == 3 && field->cursorPosition() == 3 && index + 1 < kFieldCount)
        moveTo(index + 1, false);
    emit edited();
}

} // namespace corvel
