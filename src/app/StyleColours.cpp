#include "app/StyleColours.h"

#include "app/StylePalettes.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace corvel {

namespace {

// What the readability rules ask: text 4.5:1 against its background, disabled text, frames and
// the focus ring 3:1.
constexpr double kTextContrast = 4.5;
constexpr double kFrameContrast = 3.0;

QColor mix(const QColor &a, const QColor &b, double share)
{
    return QColor::fromRgbF(float(a.redF() * (1 - share) + b.redF() * share),
                            float(a.greenF() * (1 - share) + b.greenF() * share),
                            float(a.blueF() * (1 - share) + b.blueF() * share));
}

double luminance(const QColor &colour)
{
    const auto linear = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

double weakestContrast(const QColor &colour, std::initializer_list<QColor> backgrounds)
{
    double weakest = 21.0;
    // Judged as drawn, in whole steps of each channel.
    const QColor drawn(colour.rgb());
    for (const QColor &background : backgrounds)
        weakest = std::min(weakest, contrast(drawn, background));
    return weakest;
}

// Moves `colour` towards white (or black) in small steps of lightness, keeping its hue, until it
// stands out from every background by `ratio`.
QColor standingOut(const QColor &colour, std::initializer_list<QColor> backgrounds, double ratio,
                   bool lighten)
{
    QColor result = colour.toHsl();
    while (weakestContrast(result, backgrounds) < ratio) {
        const float lightness = result.lightnessF();
        const float next =
            lighten ? std::min(1.0f, lightness + 0.01f) : std::max(0.0f, lightness - 0.01f);
        if (next == lightness)
            break;
        result.setHslF(result.hslHueF(), result.hslSaturationF(), next);
    }
    return QColor(result.rgb());
}

bool isLight(const QColor &colour)
{
    return luminance(colour) > 0.18;
}

} // namespace

StyleColours StyleColours::of(const StylePalette &row)
{
    StyleColours c;
    c.window = QColor(row.window);
    c.base = QColor(row.base);
    c.alternateBase = QColor(row.alternateBase);
    c.text = QColor(row.text);
    c.placeholderText = mix(c.text, c.base, 0.5);
    c.button = QColor(row.button);
    c.buttonText = QColor(row.buttonText);
    c.highlight = QColor(row.highlight);
    c.highlightedText = QColor(row.highlightedText);
    c.border = QColor(row.border);
    c.panel = QColor(row.panel);
    c.menu = QColor(row.menu);
    c.menuText = QColor(row.menuText);

    // Shades of the button keep its text readable: a shade that would fade it moves back.
    const auto underButtonText = [&c](const QColor &shade) {
        return standingOut(shade, {c.buttonText}, kTextContrast, !isLight(c.buttonText));
    };
    const bool flat = row.radius == 0;
    c.buttonTop = underButtonText(flat ? c.button : c.button.lighter(row.dark ? 125 : 112));
    c.buttonHover =
        underButtonText(row.dark || flat ? c.button.lighter(118) : c.button.lighter(106));
    c.buttonPressed = underButtonText(row.dark ? c.button.lighter(90) : c.button.darker(115));
    c.header = underButtonText(mix(c.button, c.window, 0.4));
    c.grid = mix(c.border, c.base, 0.5);

    // A menu drawn in a strong colour shows its selected item a shade away from the text, so the
    // text stays readable on it; other menus use the selection colour.
    const bool menuInHighlight = qAbs(c.menu.red() - c.highlight.red()) +
                                     qAbs(c.menu.green() - c.highlight.green()) +
                                     qAbs(c.menu.blue() - c.highlight.blue()) <
                                 60;
    c.menuSelectedText = menuInHighlight ? c.menuText : c.highlightedText;
    c.menuSelected =
        menuInHighlight
            ? standingOut(isLight(c.menuText) ? c.menu.darker(125) : c.menu.lighter(125),
                          {c.menuText}, kTextContrast, !isLight(c.menuText))
            : c.highlight;
    c.menuEdge = row.dark ? c.menu.lighter(160) : c.menu.darker(120);
    c.menuDisabledText =
        standingOut(mix(c.menuText, c.menu, 0.45), {c.menu}, kFrameContrast, isLight(c.menuText));

    // Frames stand out from the window and the panels the fields sit on; the focus ring from the
    // field it surrounds and from its unfocused frame's surroundings.
    c.fieldBorder = standingOut(c.border, {c.window, c.panel}, kFrameContrast, row.dark);
    c.focus = standingOut(c.highlight, {c.base, c.window}, kFrameContrast, row.dark);

    c.disabledWindowText =
        standingOut(mix(c.text, c.window, 0.5), {c.window, c.panel}, kFrameContrast, row.dark);
    c.disabledBase = c.window;
    c.disabledText =
        standingOut(mix(c.text, c.base, 0.5), {c.disabledBase}, kFrameContrast, row.dark);
    c.disabledButton = mix(c.button, c.window, 0.75);
    c.disabledButtonText =
        standingOut(mix(c.text, c.window, 0.45), {c.disabledButton}, kFrameContrast, row.dark);
    c.disabledBorder = mix(c.border, c.window, 0.5);
    c.disabledHighlight = mix(c.highlight, c.window, 0.5);
    c.disabledHighlightedText =
        standingOut(mix(c.text, c.window, 0.3), {c.disabledHighlight}, kFrameContrast, row.dark);
    return c;
}

} // namespace corvel
