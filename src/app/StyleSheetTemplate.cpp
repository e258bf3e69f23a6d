#include "app/StyleSheetTemplate.h"

#include "app/StyleColours.h"
#include "app/StylePalettes.h"

#include <QColor>
#include <QStringList>

namespace corvel {

namespace {

// Rules only where Fusion and the palette cannot give the look: menus in their own colours,
// framed buttons and fields with a focus ring that shows, the module tiles and other panels, grid
// headers. Everything else takes its colours from the palette, which the rules refer to by role
// where they can.
const QString kTemplate = QStringLiteral(R"(
QLineEdit {
    lineedit-password-character: 42;
}
QLineEdit, QComboBox {
    background-color: palette(base);
    border: 1px solid @field-border@;
    border-radius: @field-radius@px;
    padding: 1px 3px;
}
QLineEdit:focus, QComboBox:focus {
    border: 2px solid @focus@;
    padding: 0px 2px;
}
QLineEdit:disabled, QComboBox:disabled {
    background-color: palette(window);
    border-color: @border-disabled@;
}
QComboBox {
    color: palette(text);
}
QComboBox:disabled {
    color: @disabled-field-text@;
}
QAbstractItemView {
    border: 1px solid @field-border@;
}
QAbstractItemView:focus {
    border-color: @focus@;
}
QToolTip {
    color: palette(tooltip-text);
    background-color: palette(tooltip-base);
    border: 1px solid @border@;
    padding: 2px;
}
QMenuBar {
    background-color: @menu@;
    color: @menu-text@;
    border-bottom: 1px solid @menu-edge@;
}
QMenuBar::item {
    background: transparent;
    padding: 3px 8px;
}
QMenuBar::item:selected, QMenuBar::item:pressed {
    background-color: @menu-selected@;
    color: @menu-selected-text@;
}
QMenuBar::item:disabled {
    color: @menu-disabled@;
}
QMenu {
    background-color: @menu@;
    color: @menu-text@;
    border: 1px solid @menu-edge@;
    padding: 2px 0px;
}
QMenu::item {
    padding: 4px 22px 4px 8px;
    background: transparent;
}
QMenu::item:selected {
    background-color: @menu-selected@;
    color: @menu-selected-text@;
}
QMenu::item:disabled {
    color: @menu-disabled@;
}
QMenu::icon {
    padding-left: 4px;
}
QMenu::separator {
    height: 1px;
    background: @menu-edge@;
    margin: 3px 6px;
}
QPushButton {
    color: palette(button-text);
    background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1,
                                      stop: 0 @button-top@, stop: 1 palette(button));
    border: 1px solid @border@;
    border-radius: @radius@px;
    padding: 2px 8px;
}
QPushButton:hover, QPushButton:default {
    border-color: palette(highlight);
}
QPushButton:hover {
    background-color: @button-hover@;
}
QPushButton:focus {
    border: 2px solid @focus@;
    padding: 1px 7px;
}
QPushButton:pressed, QPushButton:checked {
    background-color: @button-pressed@;
}
QPushButton:disabled {
    color: @disabled-text@;
    background-color: @button-disabled@;
    border-color: @border-disabled@;
}
QHeaderView::section {
    color: palette(button-text);
    background-color: @header@;
    border: none;
    border-right: 1px solid @border@;
    border-bottom: 1px solid @border@;
    padding: 3px 5px;
}
QTableView, QTreeView, QListView {
    gridline-color: @grid@;
}
@panels@ {
    background-color: @panel@;
    border: 1px solid @border@;
    border-radius: @radius@px;
}
)");

QString panelSelectors()
{
    QStringList selectors;
    for (int i = 1; i <= 9; ++i)
        selectors << QStringLiteral("QFrame#Panel%1").arg(i);
    return selectors.join(QStringLiteral(", "));
}

} // namespace

QPalette StyleSheetTemplate::palette(const StylePalette &row)
{
    const StyleColours c = StyleColours::of(row);
    QPalette p;
    p.setColor(QPalette::Window, c.window);
    p.setColor(QPalette::WindowText, c.text);
    p.setColor(QPalette::Base, c.base);
    p.setColor(QPalette::AlternateBase, c.alternateBase);
    p.setColor(QPalette::Text, c.text);
    p.setColor(QPalette::Button, c.button);
    p.setColor(QPalette::ButtonText, c.buttonText);
    p.setColor(QPalette::Highlight, c.highlight);
    p.setColor(QPalette::HighlightedText, c.highlightedText);
    p.setColor(QPalette::ToolTipBase, c.panel);
    p.setColor(QPalette::ToolTipText, c.text);
    p.setColor(QPalette::PlaceholderText, c.placeholderText);
    p.setColor(QPalette::BrightText, row.dark ? QColor(Qt::white) : QColor(Qt::black));
    p.setColor(QPalette::Link, row.dark ? c.highlight.lighter(130) : c.highlight);
    p.setColor(QPalette::LinkVisited,
               row.dark ? c.highlight.lighter(110) : c.highlight.darker(130));
    // Fusion draws bevels, frames and check marks from these.
    p.setColor(QPalette::Light, c.button.lighter(row.dark ? 140 : 150));
    p.setColor(QPalette::Midlight, c.button.lighter(row.dark ? 120 : 125));
    p.setColor(QPalette::Mid, c.button.darker(row.dark ? 140 : 130));
    p.setColor(QPalette::Dark, c.button.darker(row.dark ? 200 : 160));
    p.setColor(QPalette::Shadow, Qt::black);

    p.setColor(QPalette::Disabled, QPalette::WindowText, c.disabledWindowText);
    p.setColor(QPalette::Disabled, QPalette::Text, c.disabledText);
    // Disabled buttons fade into the window, whatever colour they have when enabled.
    p.setColor(QPalette::Disabled, QPalette::ButtonText, c.disabledButtonText);
    p.setColor(QPalette::Disabled, QPalette::Base, c.disabledBase);
    p.setColor(QPalette::Disabled, QPalette::Button, c.disabledButton);
    p.setColor(QPalette::Disabled, QPalette::Highlight, c.disabledHighlight);
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, c.disabledHighlightedText);
    return p;
}

QString StyleSheetTemplate::styleSheet(const StylePalette &row)
{
    const StyleColours c = StyleColours::of(row);
    const QList<QPair<QString, QString>> values{
        {QStringLiteral("@panels@"), panelSelectors()},
        {QStringLiteral("@border-disabled@"), c.disabledBorder.name()},
        {QStringLiteral("@border@"), c.border.name()},
        {QStringLiteral("@field-border@"), c.fieldBorder.name()},
        {QStringLiteral("@focus@"), c.focus.name()},
        {QStringLiteral("@panel@"), c.panel.name()},
        {QStringLiteral("@menu-text@"), c.menuText.name()},
        {QStringLiteral("@menu-disabled@"), c.menuDisabledText.name()},
        {QStringLiteral("@menu-edge@"), c.menuEdge.name()},
        {QStringLiteral("@menu@"), c.menu.name()},
        {QStringLiteral("@menu-selected@"), c.menuSelected.name()},
        {QStringLiteral("@menu-selected-text@"), c.menuSelectedText.name()},
        {QStringLiteral("@button-top@"), c.buttonTop.name()},
        {QStringLiteral("@button-hover@"), c.buttonHover.name()},
        {QStringLiteral("@button-pressed@"), c.buttonPressed.name()},
        {QStringLiteral("@button-disabled@"), c.disabledButton.name()},
        {QStringLiteral("@disabled-text@"), c.disabledButtonText.name()},
        {QStringLiteral("@disabled-field-text@"), c.disabledText.name()},
        {QStringLiteral("@header@"), c.header.name()},
        {QStringLiteral("@grid@"), c.grid.name()},
        {QStringLiteral("@radius@"), QString::number(row.radius)},
        {QStringLiteral("@field-radius@"), QString::number(qMin(row.radius, 2))},
    };
    QString sheet = kTemplate;
    for (const auto &[token, value] : values)
        sheet.replace(token, value);
    return sheet;
}

} // namespace corvel
