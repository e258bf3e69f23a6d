#include "app/StyleSheetTemplate.h"

#include "app/StylePalettes.h"

#include <QColor>
#include <QStringList>

namespace corvel {

namespace {

// Rules only where Fusion and the palette cannot give the look: menus in their own colours,
// framed buttons, the module tiles and other panels, grid headers. Everything else takes its
// colours from the palette, which the rules refer to by role where they can.
const QString kTemplate = QStringLiteral(R"(
QLineEdit {
    lineedit-password-character: 42;
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
QPushButton:hover {
    background-color: @button-hover@;
    border-color: palette(highlight);
}
QPushButton:focus, QPushButton:default {
    border-color: palette(highlight);
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

QColor mix(const QColor &a, const QColor &b, double share)
{
    return QColor::fromRgbF(a.redF() * (1 - share) + b.redF() * share,
                            a.greenF() * (1 - share) + b.greenF() * share,
                            a.blueF() * (1 - share) + b.blueF() * share);
}

// Menus drawn in the highlight colour itself need another colour to show the selected item.
bool resembles(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 60;
}

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
    const QColor window(row.window);
    const QColor base(row.base);
    const QColor text(row.text);
    const QColor button(row.button);
    const QColor buttonText(row.buttonText);
    const QColor highlight(row.highlight);

    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, QColor(row.alternateBase));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, buttonText);
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, QColor(row.highlightedText));
    p.setColor(QPalette::ToolTipBase, QColor(row.panel));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, mix(text, base, 0.5));
    p.setColor(QPalette::BrightText, row.dark ? QColor(Qt::white) : QColor(Qt::black));
    p.setColor(QPalette::Link, row.dark ? highlight.lighter(130) : highlight);
    p.setColor(QPalette::LinkVisited, row.dark ? highlight.lighter(110) : highlight.darker(130));
    // Fusion draws bevels, frames and check marks from these.
    p.setColor(QPalette::Light, button.lighter(row.dark ? 140 : 150));
    p.setColor(QPalette::Midlight, button.lighter(row.dark ? 120 : 125));
    p.setColor(QPalette::Mid, button.darker(row.dark ? 140 : 130));
    p.setColor(QPalette::Dark, button.darker(row.dark ? 200 : 160));
    p.setColor(QPalette::Shadow, Qt::black);

    const QColor dimmedText = mix(text, window, 0.55);
    p.setColor(QPalette::Disabled, QPalette::WindowText, dimmedText);
    p.setColor(QPalette::Disabled, QPalette::Text, mix(text, base, 0.55));
    // Disabled buttons fade into the window, whatever colour they have when enabled.
    p.setColor(QPalette::Disabled, QPalette::ButtonText, mix(text, window, 0.5));
    p.setColor(QPalette::Disabled, QPalette::Base, window);
    p.setColor(QPalette::Disabled, QPalette::Button, mix(button, window, 0.75));
    p.setColor(QPalette::Disabled, QPalette::Highlight, mix(highlight, window, 0.5));
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, mix(text, window, 0.3));
    return p;
}

QString StyleSheetTemplate::styleSheet(const StylePalette &row)
{
    const QColor window(row.window);
    const QColor button(row.button);
    const QColor border(row.border);
    const QColor menu(row.menu);
    const QColor menuText(row.menuText);
    const bool flat = row.radius == 0;

    const QColor buttonTop = flat ? button : button.lighter(row.dark ? 125 : 112);
    const QColor hover = row.dark || flat ? button.lighter(118) : button.lighter(106);
    const QColor pressed = row.dark ? button.lighter(90) : button.darker(115);
    const QColor header = mix(button, window, 0.4);
    const QColor highlight(row.highlight);
    const bool menuInHighlight = resembles(menu, highlight);
    const QColor menuSelected = !menuInHighlight         ? highlight
                                : menu.lightness() < 128 ? menu.lighter(135)
                                                         : menu.darker(120);
    const QColor menuSelectedText = menuInHighlight ? menuText : QColor(row.highlightedText);

    const QList<QPair<QString, QString>> values{
        {QStringLiteral("@panels@"), panelSelectors()},
        {QStringLiteral("@border-disabled@"), mix(border, window, 0.5).name()},
        {QStringLiteral("@border@"), border.name()},
        {QStringLiteral("@panel@"), QColor(row.panel).name()},
        {QStringLiteral("@menu-text@"), menuText.name()},
        {QStringLiteral("@menu-disabled@"), mix(menuText, menu, 0.55).name()},
        {QStringLiteral("@menu-edge@"), (row.dark ? menu.lighter(160) : menu.darker(120)).name()},
        {QStringLiteral("@menu@"), menu.name()},
        {QStringLiteral("@menu-selected@"), menuSelected.name()},
        {QStringLiteral("@menu-selected-text@"), menuSelectedText.name()},
        {QStringLiteral("@button-top@"), buttonTop.name()},
        {QStringLiteral("@button-hover@"), hover.name()},
        {QStringLiteral("@button-pressed@"), pressed.name()},
        {QStringLiteral("@button-disabled@"), mix(button, window, 0.75).name()},
        {QStringLiteral("@disabled-text@"), mix(QColor(row.text), window, 0.5).name()},
        {QStringLiteral("@header@"), header.name()},
        {QStringLiteral("@grid@"), mix(border, QColor(row.base), 0.5).name()},
        {QStringLiteral("@radius@"), QString::number(row.radius)},
    };
    QString sheet = kTemplate;
    for (const auto &[token, value] : values)
        sheet.replace(token, value);
    return sheet;
}

} // namespace corvel
