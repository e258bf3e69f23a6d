#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "app/StyleRegistry.h"
#include "prefs/StyleForm.h"
#include "settings/IniFile.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>

using namespace corvel;
using corvel::test::RecordingShell;
using corvel::test::ScriptedDialogService;
using corvel::test::Workstation;

namespace {

struct Fixture
{
    explicit Fixture(const QString &sessionStyle)
    {
        workstation.writeSettings("[ChoosenStyle]\r\nStyle=" + sessionStyle.toUtf8() + "\r\n");
        dataModule.ChoosenStyle = sessionStyle;
        form = std::make_unique<TStyleForm>(dataModule, services);
        form->show();
    }

    QComboBox *styles() const { return form->findChild<QComboBox *>(QStringLiteral("cb_Styles")); }
    void click(const char *name) const
    {
        QTest::mouseClick(form->findChild<QPushButton *>(QString::fromLatin1(name)),
                          Qt::LeftButton);
    }
    QString storedStyle() const
    {
        return IniFile(workstation.settingsPath())
            .readString(QStringLiteral("ChoosenStyle"), QStringLiteral("Style"),
                        QStringLiteral("<absent>"));
    }

    Workstation workstation;
    TDataModule1 dataModule{workstation.launcherPath()};
    ScriptedDialogService dialogs;
    RecordingShell shell;
    Services services{dialogs, shell};
    std::unique_ptr<TStyleForm> form;
};

} // namespace

class StyleFormTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void listsEveryStyleSortedWithoutRegardToCase();
    void selectsTheSessionStyleIgnoringCase_data();
    void selectsTheSessionStyleIgnoringCase();
    void setStyleAppliesStoresAndCloses_data();
    void setStyleAppliesStoresAndCloses();
    void setStyleWithoutChoiceReportsAndStoresEmptyName();
    void cancelChangesNothing();
    void failedWriteLeavesSessionAndKeepsDialogOpen();
};

void StyleFormTest::cleanup()
{
    ScriptedDialogService dialogs;
    StyleRegistry::applyStyle(StyleRegistry::kPlainStyle, true, dialogs);
}

void StyleFormTest::listsEveryStyleSortedWithoutRegardToCase()
{
    Fixture f(QStringLiteral("Sky"));
    QComboBox *list = f.styles();
    QVERIFY(!list->isEditable());
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    QCOMPARE(items.size(), 31);
    QStringList expected = StyleRegistry::styleNames();
    std::sort(expected.begin(), expected.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QCOMPARE(items, expected);
    QCOMPARE(items.first(), QStringLiteral("Amethyst Kamri"));
    QCOMPARE(items.last(), QStringLiteral("Windows10 Malibu"));
    QCOMPARE(list->itemData(0, Qt::SizeHintRole).toSize().height(), 19);
    QCOMPARE(list->accessibleName(), QStringLiteral("Chose Style"));
}

void StyleFormTest::selectsTheSessionStyleIgnoringCase_data()
{
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("selected");
    QTest::newRow("same case") << "Obsidian"
                               << "Obsidian";
    QTest::newRow("lower case") << "lavender classico"
                                << "Lavender Classico";
    QTest::newRow("plain look") << "WINDOWS"
                                << "Windows";
    QTest::newRow("unknown") << "Aero Glass"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
}

void StyleFormTest::selectsTheSessionStyleIgnoringCase()
{
    QFETCH(QString, session);
    QFETCH(QString, selected);
    Fixture f(session);
    QCOMPARE(f.styles()->currentText(), selected);
    QCOMPARE(f.styles()->currentIndex() < 0, selected.isEmpty());
}

void StyleFormTest::setStyleAppliesStoresAndCloses_data()
{
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("stored");
    QTest::newRow("stored in lower case") << "lavender classico"
                                          << ""
                                          << "Lavender Classico";
    QTest::newRow("another style") << "Sky"
                                   << "Cyan Night"
                                   << "Cyan Night";
    QTest::newRow("plain look") << "Sky"
                                << "Windows"
                                << "Windows";
}

void StyleFormTest::setStyleAppliesStoresAndCloses()
{
    QFETCH(QString, session);
    QFETCH(QString, chosen);
    QFETCH(QString, stored);
    Fixture f(session);
    if (!chosen.isEmpty())
        f.styles()->setCurrentText(chosen);
    f.click("Button1");
    QVERIFY(f.dialogs.boxes().isEmpty());
    QCOMPARE(StyleRegistry::activeStyle(), stored);
    QCOMPARE(f.storedStyle(), stored);
    QCOMPARE(f.dataModule.ChoosenStyle, stored);
    QCOMPARE(f.form->result(), int(QDialog::Accepted));
    QVERIFY(!f.form->isVisible());
}

void StyleFormTest::setStyleWithoutChoiceReportsAndStoresEmptyName()
{
    Fixture f(QStringLiteral("Aero Glass"));
    ScriptedDialogService quiet;
    StyleRegistry::applyStyle(QStringLiteral("Sky"), true, quiet);
    f.click("Button1");
    QCOMPARE(f.dialogs.boxes().size(), 1);
    const MessageBoxSpec box = f.dialogs.boxes().first();
    QCOMPARE(box.caption, QStringLiteral("Error"));
    QCOMPARE(box.text, QStringLiteral("Style '' not found"));
    QCOMPARE(box.buttons, QList<DialogButton>{DialogButton::Close});
    QCOMPARE(StyleRegistry::activeStyle(), StyleRegistry::kPlainStyle);
    QCOMPARE(f.storedStyle(), QString());
    QCOMPARE(f.dataModule.ChoosenStyle, QString());
    QCOMPARE(f.form->result(), int(QDialog::Accepted));
}

void StyleFormTest::cancelChangesNothing()
{
    Fixture f(QStringLiteral("Sky"));
    ScriptedDialogService quiet;
    StyleRegistry::applyStyle(QStringLiteral("Sky"), true, quiet);
    const QByteArray before = f.workstation.readSettings();
    f.styles()->setCurrentText(QStringLiteral("Obsidian"));
    f.click("Button2");
    QCOMPARE(f.form->result(), int(QDialog::Rejected));
    QCOMPARE(StyleRegistry::activeStyle(), QStringLiteral("Sky"));
    QCOMPARE(f.workstation.readSettings(), before);
    QCOMPARE(f.dataModule.ChoosenStyle, QStringLiteral("Sky"));
    QVERIFY(f.dialogs.boxes().isEmpty());
}

void StyleFormTest::failedWriteLeavesSessionAndKeepsDialogOpen()
{
    Fixture f(QStringLiteral("Sky"));
    QFile::remove(f.workstation.settingsPath());
    QVERIFY(QDir().mkpath(f.workstation.settingsPath()));
    f.styles()->setCurrentText(QStringLiteral("Obsidian"));
    f.click("Button1");
    QCOMPARE(
        f.dialogs.texts(),
        QStringList{QStringLiteral("Unable to write to %1.").arg(f.workstation.settingsPath())});
    // Applied before the write was tried.
    QCOMPARE(StyleRegistry::activeStyle(), QStringLiteral("Obsidian"));
    QCOMPARE(f.dataModule.ChoosenStyle, QStringLiteral("Sky"));
    QVERIFY(f.form->isVisible());
}

CORVEL_TEST(StyleFormTest)
#include "StyleFormTest.moc"
