#include "TestFiles.h"
#include "TestRegistry.h"

#include "platform/BusyCursor.h"
#include "platform/CopyProgressDialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <stdexcept>

using namespace corvel;
using namespace corvel::test;
using namespace std::chrono_literals;

using Unit = CopyProgressDialog::Unit;

// What a user sees while the program is busy: the busy cursor, and the progress of long copies.
class WaitFeedbackTest : public QObject
{
    Q_OBJECT

    QLocale m_locale;

private slots:
    void init()
    {
        m_locale = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void cleanup() { QLocale::setDefault(m_locale); }

    // A module of hundreds of megabytes shows how far its copy has got, not only that it ended.
    void copiesReportTheirBytesAsTheyGo_data()
    {
        QTest::addColumn<bool>("replacing");
        QTest::newRow("copy") << false;
        QTest::newRow("replace") << true;
    }
    void copiesReportTheirBytesAsTheyGo()
    {
        QFETCH(bool, replacing);
        QTemporaryDir dir;
        constexpr qint64 kSize = 40 * 1024 * 1024 + 5;
        const QString source = dir.filePath(QStringLiteral("large.exe"));
        writeFile(source, QByteArray(kSize, 'x'));
        QList<qint64> done;
        qint64 total = 0;
        const fileops::Progress progress = [&](qint64 bytes, qint64 of) {
            done << bytes;
            total = of;
        };
        if (replacing)
            fileops::replaceFile(source, dir.filePath(QStringLiteral("target.exe")),
                                 fileops::Content::Data, progress);
        else
            fileops::copyFile(source, dir.filePath(QStringLiteral("copy.exe")),
                              fileops::Content::Data, progress);
        QCOMPARE(total, kSize);
        QCOMPARE_GE(done.size(), 3);
        QVERIFY(std::is_sorted(done.begin(), done.end()));
        QCOMPARE(done.last(), kSize);
    }

    void saysBytesOrFilesDoneOfHowMany_data()
    {
        QTest::addColumn<bool>("files");
        QTest::addColumn<qint64>("done");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<QString>("text");
        QTest::newRow("bytes") << false << qint64(12.5 * 1024 * 1024) << qint64(256) * 1024 * 1024
                               << "12.5 MB of 256.0 MB";
        QTest::newRow("nothing yet")
            << false << qint64(0) << qint64(5) * 1024 * 1024 * 1024 << "0 bytes of 5.0 GB";
        QTest::newRow("files") << true << qint64(1234) << qint64(20000) << "1,234 of 20,000 files";
    }
    void saysBytesOrFilesDoneOfHowMany()
    {
        QFETCH(bool, files);
        QFETCH(qint64, done);
        QFETCH(qint64, total);
        QFETCH(QString, text);
        QCOMPARE(CopyProgressDialog::describe(done, total, files ? Unit::Files : Unit::Bytes),
                 text);
    }

    void aShortCopyShowsNothing()
    {
        CopyProgressDialog dialog(QStringLiteral("CorvelMap.exe"), Unit::Bytes);
        dialog.report(1, 100);
        dialog.report(100, 100);
        QVERIFY(!dialog.isVisible());
    }

    // What a screen reader reads: what is copied, and how far it has got.
    void aLongCopyShowsHowFarItHasGotToEveryone()
    {
        CopyProgressDialog dialog(QStringLiteral("CorvelMap.exe"), Unit::Bytes, nullptr, 0ms);
        dialog.report(64 * 1024 * 1024, 256 * 1024 * 1024);
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.isModal());
        const auto *bar = dialog.findChild<QProgressBar *>(QStringLiteral("pb_Copied"));
        QCOMPARE(bar->value() * 4, bar->maximum());
        QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lbl_Amount"))->text(),
                 QStringLiteral("64.0 MB of 256.0 MB"));
        QCOMPARE(dialog.accessibleName(), QStringLiteral("Copying CorvelMap.exe"));
        QCOMPARE(bar->accessibleName(), QStringLiteral("Copying CorvelMap.exe"));
        QCOMPARE(bar->accessibleDescription(), QStringLiteral("64.0 MB of 256.0 MB"));
        // No Cancel: Escape and the close box leave it up.
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.close());
        QVERIFY(dialog.isVisible());
    }

    void aWaitShowsTheBusyCursorUntilItEndsHoweverItEnds()
    {
        const BusyCursor busy;
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        {
            const Waiting outer;
            {
                const Waiting inner;
            }
            QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        }
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        try {
            const Waiting failing;
            throw std::runtime_error("lost the server");
        } catch (const std::runtime_error &) {
            QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        }
    }
};

CORVEL_TEST(WaitFeedbackTest)
#include "WaitFeedbackTest.moc"
