#include "prefs/IPv4AddressEdit.h"

#include "platform/TrimmedText.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>

#include <algorithm>

namespace corvel {

namespace {

constexpr int kFieldCount = 4;
constexpr int kMaxOctet = 255;

bool isDigits(const QString &text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

int octetOf(const QString &part)
{
    if (!isDigits(part))
        return 0;
    // A whole number by its value: "0255" is 255, so leading zeros do not count as digits.
    qsizetype first = 0;
    while (first + 1 < part.size() && part.at(first) == u'0')
        ++first;
    const QStringView digits = QStringView(part).mid(first);
    if (digits.size() > 3)
        return 0;
    const int value = digits.toInt();
    return value <= kMaxOctet ? value : 0;
}

bool isModifier(int key)
{
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr;
}

// An action of QLineEdit's own context menu, found by its text as Qt translates it, shortcut aside.
QAction *stockAction(const QMenu &menu, const char *text)
{
    const QString wanted = QCoreApplication::translate("QLineEdit", text);
    const QList<QAction *> actions = menu.actions();
    const auto found = std::find_if(actions.begin(), actions.end(), [&](const QAction *action) {
        return action->text().section(u'\t', 0, 0) == wanted;
    });
    return found == actions.end() ? nullptr : *found;
}

} // namespace

IPv4AddressEdit::IPv4AddressEdit(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto *digits =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
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
    m_autoMovedTo = -1;
}

void IPv4AddressEdit::selectAll()
{
    QLineEdit *first = m_fields.front();
    if (!first->hasFocus())
        first->setFocus(Qt::OtherFocusReason);
    for (QLineEdit *field : m_fields)
        field->selectAll();
    m_wholeSelected = true;
    m_autoMovedTo = -1;
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
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (keyPressed(index, *static_cast<QKeyEvent *>(event)))
            return true;
        break;
    case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (index == 0 && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
                           reason == Qt::ShortcutFocusReason))
            selectAll();
        else if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            endWholeSelection();
        break;
    }
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
            indexOf(QApplication::focusWidget()) < 0)
            endWholeSelection();
        break;
    }
    case QEvent::ContextMenu:
        showContextMenu(m_fields.at(std::size_t(index)),
                        static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool IPv4AddressEdit::keyPressed(int index, const QKeyEvent &key)
{
    if (isModifier(key.key()))
        return false;
    const bool afterAutoMove = m_autoMovedTo == index;
    m_autoMovedTo = -1;
    if (key.matches(QKeySequence::SelectAll)) {
        selectAll();
        return true;
    }
    if (key.matches(QKeySequence::Paste) && pasteAddress())
        return true;
    if (m_wholeSelected && replacesWholeAddress(key))
        return key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete;
    endWholeSelection();

    const QLineEdit *field = m_fields.at(std::size_t(index));
    const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
    const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();
    switch (key.key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        // After a full field moved on by itself, the separator typed next belongs to that move.
        if (!afterAutoMove && index + 1 < kFieldCount && !field->text().isEmpty())
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
    return false;
}

// With the whole address selected, a digit or a paste starts a new address in the first field
// and Backspace or Delete empties all four.
bool IPv4AddressEdit::replacesWholeAddress(const QKeyEvent &key)
{
    const bool erases = key.key() == Qt::Key_Backspace || key.key() == Qt::Key_Delete;
    if (!erases && !isDigits(key.text()) && !key.matches(QKeySequence::Paste))
        return false;
    m_wholeSelected = false;
    for (int i = erases ? 0 : 1; i < kFieldCount; ++i)
        m_fields.at(std::size_t(i))->clear();
    if (erases)
        emit edited();
    return true;
}

void IPv4AddressEdit::endWholeSelection()
{
    if (!m_wholeSelected)
        return;
    m_wholeSelected = false;
    for (QLineEdit *field : m_fields) {
        if (!field->hasFocus())
            field->deselect();
    }
}

bool IPv4AddressEdit::pasteAddress()
{
    const QString pasted = QGuiApplication::clipboard()->text();
    if (!trimmedText(pasted).contains(u'.'))
        return false;
    m_wholeSelected = false;
    setText(pasted);
    moveTo(kFieldCount - 1, true);
    emit edited();
    return true;
}

void IPv4AddressEdit::showContextMenu(QLineEdit *field, const QPoint &globalPos)
{
    QMenu *menu = field->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The stock actions know one field only: a dotted address would not paste at all.
    if (QAction *paste = stockAction(*menu, "&Paste")) {
        paste->disconnect(field);
        connect(paste, &QAction::triggered, this, [this, field] {
            if (!pasteAddress())
                field->paste();
        });
    }
    if (QAction *all = stockAction(*menu, "Select All")) {
        all->disconnect(field);
        connect(all, &QAction::triggered, this, &IPv4AddressEdit::selectAll);
    }
    menu->popup(globalPos);
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
    if (field->text().size() == 3 && field->cursorPosition() == 3 && index + 1 < kFieldCount) {
        moveTo(index + 1, false);
        m_autoMovedTo = index + 1;
    }
    emit edited();
}

} // namespace corvel
