#include "app/StyleRegistry.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "app/StyleColours.h"
#include "app/StylePalettes.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QSet>
#include <QStyle>
#include <QTest>
#include <QWidget>
#include <cmath>

using namespace corvel;
using corvel::test::ScriptedDialogService;

namespace {

// Relative luminance and contrast ratio as the web accessibility guidelines define them.
double luminance(QRgb rgb)
{
    const auto linear = [](int channel) {
        const double v = channel / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

double contrast(QRgb a, QRgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

struct Pairing
{
    const char *what;
    QColor fore;
    QColor back;
    double least;
};

QList<Pairing> pairings(const StyleColours &c)
{
    return {
        {"text on a field", c.text, c.base, 4.5},
        {"text on the window", c.text, c.window, 4.5},
        {"text on a panel", c.text, c.panel, 4.5},
        {"text on a tooltip", c.text, c.panel, 4.5},
        {"button text", c.buttonText, c.button, 4.5},
        {"button text at the top of its gradient", c.buttonText, c.buttonTop, 4.5},
        {"button text under the mouse", c.buttonText, c.buttonHover, 4.5},
        {"button text pressed", c.buttonText, c.buttonPressed, 4.5},
        {"grid header text", c.buttonText, c.header, 4.5},
        {"selected text", c.highlightedText, c.highlight, 4.5},
        {"menu text", c.menuText, c.menu, 4.5},
        {"highlighted menu item", c.menuSelectedText, c.menuSelected, 4.5},
        {"disabled text on the window", c.disabledWindowText, c.window, 3.0},
        {"disabled text on a panel", c.disabledWindowText, c.panel, 3.0},
        {"disabled field text", c.disabledText, c.disabledBase, 3.0},
        {"disabled button text", c.disabledButtonText, c.disabledButton, 3.0},
        {"disabled selected text", c.disabledHighlightedText, c.disabledHighlight, 3.0},
        {"disabled menu item", c.menuDisabledText, c.menu, 3.0},
    };
}

// The faults of one field as drawn: its frame against the window around it, and a ring one pixel
// deep at the middle of each side that changes by 3:1 when the field takes the focus.
QStringList frameFaults(QWidget &window, QWidget *field)
{
    window.setFocus();
    QCoreApplication::processEvents();
    const QImage unfocused = window.grab().toImage();
    field->setFocus();
    QCoreApplication::processEvents();
    const QImage focused = window.grab().toImage();

    QStringList faults;
    const QRect r = field->geometry();
    const QPoint outside(r.center().x(), r.top() - 1);
    const QPoint frame(r.center().x(), r.top());
    const double frameContrast = contrast(unfocused.pixel(frame), unfocused.pixel(outside));
    if (frameContrast < 3.0)
        faults << QStringLiteral("%1 frame %2:1")
                      .arg(field->metaObject()->className())
                      .arg(frameContrast, 0, 'f', 2);
    const QList<QPair<QPoint, QPoint>> sides{{{r.center().x(), r.top()}, {0, 1}},
                                             {{r.center().x(), r.bottom()}, {0, -1}},
                                             {{r.left(), r.center().y()}, {1, 0}},
                                             {{r.right(), r.center().y()}, {-1, 0}}};
    for (const auto &[edge, inwards] : sides) {
        double strongest = 1.0;
        for (int depth = 0; depth < 3; ++depth) {
            const QPoint at = edge + inwards * depth;
            strongest = qMax(strongest, contrast(focused.pixel(at), unfocused.pixel(at)));
        }
        if (strongest < 3.0)
            faults << QStringLiteral("%1 focus cue %2:1")
                          .arg(field->metaObject()->className())
                          .arg(strongest, 0, 'f', 2);
    }
    return faults;
}

} // namespace

class StyleRegistryTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        ScriptedDialogService dialogs;
        StyleRegistry::applyStyle(StyleRegistry::kPlainStyle, true, dialogs);
    }

    void plainLookIsActiveBeforeAnyStyleIsApplied()
    {
        QCOMPARE(StyleRegistry::activeStyle(), QStringLiteral("Windows"));
    }

    void namesListThePlainLookFirstThenTheThirtyInOrder()
    {
        const QStringList names = StyleRegistry::styleNames();
        QCOMPARE(names.size(), 31);
        QCOMPARE(names.first(), QStringLiteral("Windows"));
        const QStringList expected{
            "Windows",
            "Amethyst Kamri",
            "Aqua Light Slate",
            "Auric",
            "Calypso",
            "Calypso LE",
            "Calypso SE",
            "Calypso SLE",
            "Cyan Dusk",
            "Cyan Night",
            "Emerald Light Slate",
            "Iceberg Classico",
            "Lavender Classico",
            "Light",
            "Luna",
            "Metropolis UI Blue",
            "Metropolis UI Green",
            "Obsidian",
            "Sapphire Kamri",
            "Silver",
            "Sky",
            "Slate Classico",
            "Smokey Quartz Kamri",
            "Tablet Light",
            "Turquoise Gray",
            "Windows10",
            "Windows10 BlackPearl",
            "Windows10 Blue Whale",
            "Windows10 Blue Whale LE",
            "Windows10 Clear Day",
            "Windows10 Malibu",
        };
        QCOMPARE(names, expected);
    }

    void everyCompiledInStyleHasALookOfItsOwn()
    {
        ScriptedDialogService dialogs;
        QSet<QString> looks;
        const QStringList names = StyleRegistry::styleNames().mid(1);
        for (const QString &name : names) {
            QVERIFY2(StyleRegistry::applyStyle(name, true, dialogs), qPrintable(name));
            QCOMPARE(StyleRegistry::activeStyle(), name);
            QVERIFY(!qApp->styleSheet().isEmpty());
            const QPalette palette = QApplication::palette();
            looks.insert(palette.color(QPalette::Window).name() +
                         palette.color(QPalette::Highlight).name() +
                         palette.color(QPalette::Button).name());
        }
        QCOMPARE(looks.size(), 30);
        QVERIFY(dialogs.boxes().isEmpty());
    }

    void compiledInStylesKeepTextReadable()
    {
        ScriptedDialogService dialogs;
        const QStringList names = StyleRegistry::styleNames().mid(1);
        for (const QString &name : names) {
            StyleRegistry::applyStyle(name, false, dialogs);
            const QPalette palette = QApplication::palette();
            const auto contrast = [&](QPalette::ColorRole fore, QPalette::ColorRole back) {
                return qAbs(qGray(palette.color(fore).rgb()) - qGray(palette.color(back).rgb()));
            };
            QVERIFY2(contrast(QPalette::Text, QPalette::Base) > 120, qPrintable(name));
            QVERIFY2(contrast(QPalette::WindowText, QPalette::Window) > 120, qPrintable(name));
            QVERIFY2(contrast(QPalette::ButtonText, QPalette::Button) > 90, qPrintable(name));
            QVERIFY2(contrast(QPalette::HighlightedText, QPalette::Highlight) > 60,
                     qPrintable(name));
        }
    }

    void everyCompiledInStyleMeetsTheContrastRules()
    {
        ScriptedDialogService dialogs;
        QStringList faults;
        for (const StylePalette &row : compiledInPalettes()) {
            const QString name = QString::fromLatin1(row.name);
            for (const Pairing &p : pairings(StyleColours::of(row))) {
                const double ratio = contrast(p.fore.rgb(), p.back.rgb());
                if (ratio < p.least)
                    faults << QStringLiteral("%1: %2 %3:1")
                                  .arg(name, QLatin1String(p.what))
                                  .arg(ratio, 0, 'f', 2);
            }

            QVERIFY(StyleRegistry::applyStyle(name, true, dialogs));
            QWidget window;
            window.setAutoFillBackground(true);
            window.setFocusPolicy(Qt::StrongFocus);
            auto *edit = new QLineEdit(&window);
            edit->setGeometry(10, 10, 120, 24);
            auto *list = new QComboBox(&window);
            list->addItems({QStringLiteral("No"), QStringLiteral("Yes")});
            list->setGeometry(10, 50, 120, 22);
            window.resize(140, 82);
            window.show();
            window.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            for (QWidget *field : {static_cast<QWidget *>(edit), static_cast<QWidget *>(list)}) {
                for (const QString &fault : frameFaults(window, field))
                    faults << name + QStringLiteral(": ") + fault;
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    void lookUpIgnoresLetterCase_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("active");
        QTest::newRow("lower case") << "lavender classico"
                                    << "Lavender Classico";
        QTest::newRow("upper case") << "OBSIDIAN"
                                    << "Obsidian";
        QTest::newRow("mixed") << "windows10 BLACKPEARL"
                               << "Windows10 BlackPearl";
        QTest::newRow("plain look") << "WINDOWS"
                                    << "Windows";
    }

    void lookUpIgnoresLetterCase()
    {
        QFETCH(QString, asked);
        QFETCH(QString, active);
        ScriptedDialogService dialogs;
        StyleRegistry::applyStyle(QStringLiteral("Sky"), true, dialogs);
        QVERIFY(StyleRegistry::applyStyle(asked, true, dialogs));
        QCOMPARE(StyleRegistry::activeStyle(), active);
        QVERIFY(dialogs.boxes().isEmpty());
    }

    void unknownNameShowsTheErrorBoxAndKeepsTheActiveStyle_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("unknown") << "Carbon";
        QTest::newRow("empty") << "";
        QTest::newRow("blank around a known name") << " Sky ";
        QTest::newRow("only part of a name") << "Windows10 Blue";
    }

    void unknownNameShowsTheErrorBoxAndKeepsTheActiveStyle()
    {
        QFETCH(QString, name);
        ScriptedDialogService dialogs;
        QVERIFY(StyleRegistry::applyStyle(QStringLiteral("Auric"), true, dialogs));
        const QPalette before = QApplication::palette();
        const QString sheetBefore = qApp->styleSheet();

        QVERIFY(!StyleRegistry::applyStyle(name, true, dialogs));

        QCOMPARE(dialogs.boxes().size(), 1);
        const MessageBoxSpec expected{QStringLiteral("Error"),
                                      MessageIcon::Error,
                                      QStringLiteral("Style '%1' not found").arg(name),
                                      {DialogButton::Close},
                                      DialogButton::Close};
        QCOMPARE(dialogs.boxes().first(), expected);
        QCOMPARE(StyleRegistry::activeStyle(), QStringLiteral("Auric"));
        QCOMPARE(QApplication::palette(), before);
        QCOMPARE(qApp->styleSheet(), sheetBefore);
    }

    void unknownNameWithoutReportingFailsSilently()
    {
        ScriptedDialogService dialogs;
        QVERIFY(!StyleRegistry::applyStyle(QStringLiteral("Carbon"), false, dialogs));
        QVERIFY(dialogs.boxes().isEmpty());
        QCOMPARE(StyleRegistry::activeStyle(), QStringLiteral("Windows"));
    }

    void applyingRestylesAnAlreadyOpenWindow()
    {
        ScriptedDialogService dialogs;
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        StyleRegistry::applyStyle(QStringLiteral("Obsidian"), true, dialogs);
        QCOMPARE(window.palette().color(QPalette::Window), QColor(0x2A2B2E));

        StyleRegistry::applyStyle(QStringLiteral("Lavender Classico"), true, dialogs);
        QCOMPARE(window.palette().color(QPalette::Window), QColor(0xE5E0F0));
    }

    void plainLookBringsBackTheStartingStyleAndPalette()
    {
        ScriptedDialogService dialogs;
        const QString startingStyle = QApplication::style()->name();
        const QColor startingWindow = QApplication::palette().color(QPalette::Window);

        StyleRegistry::applyStyle(QStringLiteral("Cyan Night"), true, dialogs);
        QVERIFY(StyleRegistry::applyStyle(QStringLiteral("Windows"), true, dialogs));

        QCOMPARE(StyleRegistry::activeStyle(), QStringLiteral("Windows"));
        QCOMPARE(QApplication::style()->name(), startingStyle);
        QCOMPARE(QApplication::palette().color(QPalette::Window), startingWindow);
        QVERIFY(qApp->styleSheet().isEmpty());
    }

    void tilePanelsGetAPanelLook()
    {
        ScriptedDialogService dialogs;
        StyleRegistry::applyStyle(QStringLiteral("Lavender Classico"), true, dialogs);
        const QString sheet = qApp->styleSheet();
        for (int i = 1; i <= 9; ++i)
            QVERIFY(sheet.contains(QStringLiteral("QFrame#Panel%1").arg(i)));
        QVERIFY(!sheet.contains(u'@'));
    }
};

CORVEL_TEST(StyleRegistryTest)
#include "StyleRegistryTest.moc"
