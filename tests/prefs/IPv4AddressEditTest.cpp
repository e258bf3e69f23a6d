#include "TestRegistry.h"

#include "prefs/IPv4AddressEdit.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

using corvel::IPv4AddressEdit;

class IPv4AddressEditTest : public QObject
{
    Q_OBJECT

private slots:
    void givenTextIsReadByTheAddressRule_data();
    void givenTextIsReadByTheAddressRule();
    void typedAddressMovesOnAtDotsAndFullFields();
    void typedValueAboveTheRangeIsCappedAndEmptyFieldCountsAsZero();
    void arrowsAndBackspaceCrossFieldBoundaries();
    void fieldsAreNamedAfterTheLabel();
};

void IPv4AddressEditTest::givenTextIsReadByTheAddressRule_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("shown");
    QTest::newRow("dotted address") << "192.168.1.10"
                                    << "192.168.1.10";
    QTest::newRow("all zero") << "0.0.0.0"
                              << "0.0.0.0";
    QTest::newRow("empty") << ""
                           << "0.0.0.0";
    QTest::newRow("blanks and control characters around")
        << QStringLiteral(" \t10.1.2.3\r\n") << "10.1.2.3";
    QTest::newRow("fifth part stays in the fourth") << "1.2.3.4.5"
                                                    << "1.2.3.0";
    QTest::newRow("named instance") << "10.0.0.5\\SQLEXPRESS"
                                    << "10.0.0.0";
    QTest::newRow("host name") << "dbserver"
                               << "0.0.0.0";
    QTest::newRow("dotted host name") << "db.corvel.local"
                                      << "0.0.0.0";
    QTest::newRow("part above 255") << "256.1.1.1"
                                    << "0.1.1.1";
    QTest::newRow("fewer parts") << "1.2"
                                 << "1.2.0.0";
    QTest::newRow("empty middle part") << "1..3.4"
                                       << "1.0.3.4";
    QTest::newRow("leading zeros") << "010.001.0.9"
                                   << "10.1.0.9";
    QTest::newRow("signs are not whole numbers") << "-1.+2.3.4"
                                                 << "0.0.3.4";
    QTest::newRow("blank inside a part") << "1. 2.3.4"
                                         << "1.0.3.4";
    QTest::newRow("huge number") << "99999999999.1.1.1"
                                 << "0.1.1.1";
    QTest::newRow("arabic-indic digits") << QStringLiteral("\u0661.2.3.4") << "0.2.3.4";
}

void IPv4AddressEditTest::givenTextIsReadByTheAddressRule()
{
    QFETCH(QString, given);
    QFETCH(QString, shown);
    IPv4AddressEdit edit;
    edit.setText(given);
    QCOMPARE(edit.text(), shown);
    const QStringList parts = shown.split(u'.');
    for (int i = 0; i < 4; ++i)
        QCOMPARE(edit.field(i)->text(), parts.at(i));
}

void IPv4AddressEditTest::typedAddressMovesOnAtDotsAndFullFields()
{
    IPv4AddressEdit edit;
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.field(0)->setFocus();
    edit.field(0)->selectAll();
    QTest::keyClicks(edit.field(0), QStringLiteral("192"));
    QCOMPARE(edit.field(1), QApplication::focusWidget());
    QTest::keyClicks(edit.field(1), QStringLiteral("7."));
    QCOMPARE(edit.field(2), QApplication::focusWidget());
    QTest::keyClicks(edit.field(2), QStringLiteral("1 "));
    QCOMPARE(edit.field(3), QApplication::focusWidget());
    QTest::keyClicks(edit.field(3), QStringLiteral("10"));
    QCOMPARE(edit.text(), QStringLiteral("192.7.1.10"));
}

void IPv4AddressEditTest::typedValueAboveTheRangeIsCappedAndEmptyFieldCountsAsZero()
{
    IPv4AddressEdit edit;
    QSignalSpy edited(&edit, &IPv4AddressEdit::edited);
    edit.setText(QStringLiteral("1.2.3.4"));
    QCOMPARE(edited.count(), 0);
    edit.field(0)->selectAll();
    QTest::keyClicks(edit.field(0), QStringLiteral("300"));
    edit.field(2)->selectAll();
    QTest::keyClick(edit.field(2), Qt::Key_Delete);
    QTest::keyClicks(edit.field(3), QStringLiteral("x"));
    QCOMPARE(edit.text(), QStringLiteral("255.2.0.4"));
    QVERIFY(edited.count() > 0);
}

void IPv4AddressEditTest::arrowsAndBackspaceCrossFieldBoundaries()
{
    IPv4AddressEdit edit;
    edit.setText(QStringLiteral("11.22.33.44"));
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    edit.field(1)->setFocus();
    edit.field(1)->setCursorPosition(2);
    QTest::keyClick(edit.field(1), Qt::Key_Right);
    QCOMPARE(QApplication::focusWidget(), edit.field(2));
    edit.field(2)->setCursorPosition(0);
    QTest::keyClick(edit.field(2), Qt::Key_Left);
    QCOMPARE(QApplication::focusWidget(), edit.field(1));
    QCOMPARE(edit.field(1)->cursorPosition(), 2);
    edit.field(3)->setFocus();
    edit.field(3)->setCursorPosition(0);
    QTest::keyClick(edit.field(3), Qt::Key_Backspace);
    QCOMPARE(QApplication::focusWidget(), edit.field(2));
    QCOMPARE(edit.text(), QStringLiteral("11.22.33.44"));
}

void IPv4AddressEditTest::fieldsAreNamedAfterTheLabel()
{
    IPv4AddressEdit edit;
    edit.setLabel(QStringLiteral("Database Server IP"));
    QCOMPARE(edit.accessibleName(), QStringLiteral("Database Server IP"));
    QCOMPARE(edit.field(2)->accessibleName(), QStringLiteral("Database Server IP, part 3 of 4"));
    // One Tab stop for the whole address.
    QCOMPARE(edit.field(0)->focusPolicy(), Qt::StrongFocus);
    QCOMPARE(edit.field(1)->focusPolicy(), Qt::ClickFocus);
}

CORVEL_TEST(IPv4AddressEditTest)
#include "IPv4AddressEditTest.moc"
