#include "app/StyleRegistry.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"

#include <QApplication>
#include <QPalette>
#include <QSet>
#include <QStyle>
#include <QTest>
#include <QWidget>

using namespace corvel;
using corvel::test::ScriptedDialogService;

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
