#pragma once

#include <QWidget>
#include <array>

class QLineEdit;

namespace corvel {

// One IPv4 address in four fields of 0 to 255. A single Tab stop, like the platform's own address
// control: ".", blank, the arrow keys and Backspace move between the fields, and a field that holds
// three digits passes the caret on. Reaching the editor by Tab or pressing Ctrl+A selects the whole
// address, so that typing or pasting replaces all four fields.
class IPv4AddressEdit : public QWidget
{
    Q_OBJECT
public:
    using Octets = std::array<int, 4>;

    explicit IPv4AddressEdit(QWidget *parent = nullptr);

    // Reads `text` by the address rule: trimmed, cut at the first three dots, and each part that is
    // a decimal number from 0 to 255 gives its value; anything else gives 0.
    static Octets parse(const QString &text);

    void setText(const QString &text);
    // Selects all four fields and puts the caret in the first.
    void selectAll();
    // The four values joined by dots; a field left empty counts as 0.
    QString text() const;

    // The name a screen reader announces for the editor; each field adds its position to it.
    void setLabel(const QString &label);
    QLineEdit *field(int index) const { return m_fields.at(std::size_t(index)); }

signals:
    // The user changed a field (not emitted by setText).
    void edited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int indexOf(QObject *field) const;
    void moveTo(int index, bool caretAtEnd);
    void fieldEdited(int index);
    bool keyPressed(int index, const QKeyEvent &key);
    bool replacesWholeAddress(const QKeyEvent &key);
    void endWholeSelection();
    bool pasteAddress();
    void showContextMenu(QLineEdit *field, const QPoint &globalPos);

    std::array<QLineEdit *, 4> m_fields{};
    bool m_wholeSelected = false;
    // The field the caret moved to by itself; a "." typed next only confirms that move.
    int m_autoMovedTo = -1;
};

} // namespace corvel
