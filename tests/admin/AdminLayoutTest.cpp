#include "AdminSession.h"
#include "TestRegistry.h"

#include "admin/AssignRolesForm.h"
#include "admin/ReportingAssetsManagementForm.h"
#include "admin/UsersDetailsForm.h"
#include "admin/UsersMgtForm.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTreeWidget>

using namespace corvel;
using namespace corvel::test;

namespace {

using DialogFactory = std::function<std::unique_ptr<QDialog>(AdminSession &)>;

// The controls the Tab key visits, by name, from the one that has the focus when the window
// opens until it comes back round.
QStringList tabChain(QDialog &dialog)
{
    QStringList names;
    QWidget *first = QApplication::focusWidget();
    if (first == nullptr)
        return names;
    QWidget *current = first;
    do {
        names << current->objectName();
        QTest::keyClick(current, Qt::Key_Tab);
        current = QApplication::focusWidget();
    } while (current != nullptr && current != first && dialog.isAncestorOf(current) &&
             names.size() < 20);
    return names;
}

} // namespace

class AdminLayoutTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<AdminSession> session;

private slots:
    void init() { session = std::make_unique<AdminSession>(); }
    void cleanup() { session.reset(); }

    void windowsOpenOnTheirFirstFieldWithFieldsBeforeButtons_data()
    {
        QTest::addColumn<DialogFactory>("open");
        QTest::addColumn<QStringList>("chain");
        QTest::newRow("reporting assets")
            << DialogFactory([](AdminSession &s) -> std::unique_ptr<QDialog> {
                   return std::make_unique<TReportingAssetsManagementForm>(s.dm(), s.services());
               })
            << QStringList{"edt_Company_Name_en",
                           "edt_Company_Name_ar",
                           "btn_Rectangle_Logo_FileName",
                           "Button1",
                           "btn_Confirm",
                           "btn_Cancel"};
        QTest::newRow("add user") << DialogFactory([](AdminSession &s) -> std::unique_ptr<QDialog> {
            auto details = std::make_unique<TUsersDetailsForm>(s.services());
            details->prepareCreate(TUsersMgtForm::kDefaultPassword);
            return details;
        }) << QStringList{"edt_UserName", "edt_Password", "edt_UserFullName", "edt_UserDepartment",
                          "chk_isActive", "btn_OK",       "btn_Cancel"};
    }
    void windowsOpenOnTheirFirstFieldWithFieldsBeforeButtons()
    {
        QFETCH(DialogFactory, open);
        QFETCH(QStringList, chain);
        std::unique_ptr<QDialog> dialog = open(*session);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QCOMPARE(tabChain(*dialog), chain);
    }

    void arabicNameIsDrawnFromTheRightEdge()
    {
        TReportingAssetsManagementForm form(session->dm(), session->services());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *arabic = form.findChild<QLineEdit *>(QStringLiteral("edt_Company_Name_ar"));
        arabic->setText(QStringLiteral("\u0634\u0631\u0643\u0629"));
        const QImage image = arabic->grab().toImage();
        const QRgb background = image.pixel(image.width() / 2, image.height() / 2);
        int leftmostInk = image.width();
        for (int y = 4; y < image.height() - 4; ++y) {
            for (int x = 4; x < image.width() - 4; ++x) {
                if (image.pixel(x, y) != background)
                    leftmostInk = qMin(leftmostInk, x);
            }
        }
        QVERIFY2(leftmostInk > image.width() / 2, qPrintable(QString::number(leftmostInk)));
    }

    void singleColumnGridsLeaveNoDeadBand_data()
    {
        QTest::addColumn<DialogFactory>("open");
        QTest::addColumn<QString>("grid");
        QTest::newRow("users") << DialogFactory([](AdminSession &s) -> std::unique_ptr<QDialog> {
            return std::make_unique<TUsersMgtForm>(s.dm(), s.services());
        }) << "DBGrid1";
        QTest::newRow("role ids") << DialogFactory([](AdminSession &s) -> std::unique_ptr<QDialog> {
            return std::make_unique<TAssignRolesForm>(s.dm(), s.services());
        }) << "DBGrid3";
    }
    void singleColumnGridsLeaveNoDeadBand()
    {
        QFETCH(DialogFactory, open);
        QFETCH(QString, grid);
        std::unique_ptr<QDialog> dialog = open(*session);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        const auto *view = dialog->findChild<QTableView *>(grid);
        QCOMPARE(view->horizontalHeader()->sectionViewportPosition(0) + view->columnWidth(0),
                 view->viewport()->width());
    }

    void roleTreeRowsAre18PixelsHigh()
    {
        TAssignRolesForm form(session->dm(), session->services());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *tree = form.findChild<QTreeWidget *>(QStringLiteral("TreeView1"));
        QTreeWidgetItem *root = tree->topLevelItem(0);
        QVERIFY(root != nullptr && root->childCount() > 0);
        tree->expandAll();
        QCOMPARE(tree->visualItemRect(root).height(), 18);
        QCOMPARE(tree->visualItemRect(root->child(0)->child(0)).height(), 18);
    }
};

CORVEL_TEST(AdminLayoutTest)
#include "AdminLayoutTest.moc"
