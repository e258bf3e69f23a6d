#include "TestRegistry.h"

#include "platform/ScreenFit.h"

#include <QTest>

using namespace corvel;

class ScreenFitTest : public QObject
{
    Q_OBJECT

private slots:
    void aSideThatDoesNotFitScrollsAndTheOtherMakesRoomForItsBar_data()
    {
        QTest::addColumn<QSize>("room");
        QTest::addColumn<QSize>("fitted");
        QTest::newRow("fits") << QSize(1152, 708) << QSize(1152, 708);
        QTest::newRow("too low") << QSize(1366, 700) << QSize(1167, 700);
        QTest::newRow("too narrow") << QSize(1000, 900) << QSize(1000, 724);
        QTest::newRow("too narrow, then too low for the bar")
            << QSize(1000, 720) << QSize(1000, 720);
        QTest::newRow("too low, then too narrow for the bar")
            << QSize(1160, 700) << QSize(1160, 700);
        QTest::newRow("neither") << QSize(800, 600) << QSize(800, 600);
        QTest::newRow("no room") << QSize(-20, 0) << QSize(1, 1);
    }
    void aSideThatDoesNotFitScrollsAndTheOtherMakesRoomForItsBar()
    {
        QFETCH(QSize, room);
        QFETCH(QSize, fitted);
        QCOMPARE(ScreenFit::fittedSize(QSize(1152, 708), room, QSize(15, 16)), fitted);
    }

    // Taskbars may sit on any edge, so the available area need not start at 0, 0.
    void theFrameStaysInsideTheAvailableAreaAndNeverStartsAboveIt_data()
    {
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QPoint>("wanted");
        QTest::addColumn<QPoint>("placed");
        QTest::newRow("where wanted") << QSize(400, 300) << QPoint(200, 200) << QPoint(200, 200);
        QTest::newRow("above and left") << QSize(400, 300) << QPoint(-50, -30) << QPoint(60, 40);
        QTest::newRow("below and right")
            << QSize(400, 300) << QPoint(1200, 700) << QPoint(966, 468);
        QTest::newRow("taller and wider") << QSize(2000, 900) << QPoint(-10, 100) << QPoint(60, 40);
    }
    void theFrameStaysInsideTheAvailableAreaAndNeverStartsAboveIt()
    {
        QFETCH(QSize, frame);
        QFETCH(QPoint, wanted);
        QFETCH(QPoint, placed);
        const QRect available(60, 40, 1306, 728);
        QCOMPARE(ScreenFit::framePosition(frame, available, wanted), placed);
    }
};

CORVEL_TEST(ScreenFitTest)
#include "ScreenFitTest.moc"
