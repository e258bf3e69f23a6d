#include "TestRegistry.h"

#include "prefs/IPv4AddressEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
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
    void typedAddressIsKeptExactly_data();
    void typedAddressIsKeptExactly();
    void pastedDottedAddressFillsAllFourFields_data();
    void pastedDottedAddressFillsAllFourFields();
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
    QTest::newRow("leading zeros beyond three digits") << "0255.00001.0000.7"
                                                       << "255.1.0.7";
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

namespace {

// An address editor after another box, as in a dialog, with the keyboard in the first box.
struct TypingWindow
{
    TypingWindow()
    {
        auto *layout = new QHBoxLayout(&window);
        layout->addWidget(before);
        layout->addWidget(edit);
        window.show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("the window did not become active");
        before->setFocus(Qt::OtherFocusReason);
    }
    // How the keyboard reaches an editor that already shows an address.
    void reach(const QString &how)
    {
        if (how == u"tab") {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        } else if (how == u"ctrl+a in the third field") {
            QTest::mouseClick(edit->field(2), Qt::LeftButton);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        } else {
            QFAIL("unknown way in");
        }
    }

    QWidget window;
    QLineEdit *before = new QLineEdit(&window);
    IPv4AddressEdit *edit = new IPv4AddressEdit(&window);
};

} // namespace

void IPv4AddressEditTest::typedAddressIsKeptExactly_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("reachedBy");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("full fields, each followed by a dot") << "0.0.0.0"
                                                         << "tab"
                                                         << "192.168.100.200"
                                                         << "192.168.100.200";
    QTest::newRow("over an earlier address") << "10.20.30.40"
                                             << "tab"
                                             << "172.16.5.4"
                                             << "172.16.5.4";
    QTest::newRow("a shorter address replaces every field") << "192.168.100.200"
                                                            << "tab"
                                                            << "10.1"
                                                            << "10.1.0.0";
    QTest::newRow("over an address selected with ctrl+a") << "10.20.30.40"
                                                          << "ctrl+a in the third field"
                                                          << "8.8.4.4"
                                                          << "8.8.4.4";
    QTest::newRow("leading zeros fill a field") << "0.0.0.0"
                                                << "tab"
                                                << "010.001.000.255."
                                                << "10.1.0.255";
}

void IPv4AddressEditTest::typedAddressIsKeptExactly()
{
    QFETCH(QString, shown);
    QFETCH(QString, reachedBy);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    TypingWindow w;
    w.edit->setText(shown);
    w.reach(reachedBy);
    // Each key goes wherever the editor has put the caret by then.
    for (const QChar key : typed)
        QTest::keyClick(QApplication::focusWidget(), key.toLatin1());
    QCOMPARE(w.edit->text(), text);
}

void IPv4AddressEditTest::pastedDottedAddressFillsAllFourFields_data()
{
    QTest::addColumn<QString>("reachedBy");
    QTest::newRow("into the whole address") << "tab";
    QTest::newRow("into the third field") << "click";
    QTest::newRow("from the context menu") << "menu";
}

void IPv4AddressEditTest::pastedDottedAddressFillsAllFourFields()
{
    QFETCH(QString, reachedBy);
    TypingWindow w;
    w.edit->setText(QStringLiteral("10.20.30.40"));
    QSignalSpy edited(w.edit, &IPv4AddressEdit::edited);
    if (reachedBy == u"tab")
        w.reach(reachedBy);
    else
        QTest::mouseClick(w.edit->field(2), Qt::LeftButton);
    QApplication::clipboard()->setText(QStringLiteral(" 172.16.0255.4\n"));
    if (reachedBy == u"menu") {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(2, 2),
                                w.edit->field(2)->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(w.edit->field(2), &event);
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QVERIFY(menu != nullptr);
        const QList<QAction *> actions = menu->actions();
        const auto paste = std::find_if(actions.begin(), actions.end(), [](QAction *action) {
            return action->text().startsWith(QStringLiteral("&Paste"));
        });
        QVERIFY(paste != actions.end());
        (*paste)->trigger();
        menu->close();
    } else {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    }
    QCOMPARE(w.edit->text(), QStringLiteral("172.16.255.4"));
    QCOMPARE(w.edit->field(2)->text(), QStringLiteral("255"));
    QCOMPARE(edited.count(), 1);
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
