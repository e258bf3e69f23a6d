#include "AdminSession.h"
#include "TestRegistry.h"

#include "admin/AssignRolesForm.h"
#include "admin/LogoCodec.h"
#include "admin/LogoPicture.h"
#include "admin/ReportingAssetsManagementForm.h"
#include "admin/UsersDetailsForm.h"
#include "admin/UsersMgtForm.h"

#include <QAbstractItemModelTester>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QtEndian>

using namespace corvel;
using namespace corvel::test;

namespace {

// Text the columns may hold beyond what the launcher itself would store.
const QString kArabic = QStringLiteral("مستخدم_عربي");
const QString kCjk = QStringLiteral("用户名");
const QString kEmoji = QStringLiteral("user😀🚀");
const QString kLong = QString(5000, u'ل');

template <typename Widget> Widget *child(QWidget &parent, const char *name)
{
    auto *widget = parent.findChild<Widget *>(QLatin1String(name));
    if (widget == nullptr)
        qFatal("no control %s", name);
    return widget;
}

QString text(QWidget &parent, const char *name)
{
    return child<QLineEdit>(parent, name)->text();
}

void click(QWidget &parent, const char *name)
{
    QTest::mouseClick(child<QPushButton>(parent, name), Qt::LeftButton);
}

// Runs `sql` with positional values on the test's own connection.
void execWith(Workstation &workstation, const QString &sql, const QVariantList &values)
{
    QSqlQuery query(workstation.direct());
    QVERIFY2(query.prepare(sql), qPrintable(query.lastError().text()));
    for (const QVariant &value : values)
        query.addBindValue(value);
    QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
}

const QVariant kNullText = QVariant(QMetaType::fromType<QString>());

QByteArray pngOf(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

quint32 crc32Of(const QByteArray &bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray chunk(const QByteArray &type, const QByteArray &data)
{
    QByteArray out(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), out.data());
    out += type + data;
    const QByteArray crcInput = type + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(crc32Of(crcInput), crc.data());
    return out + crc;
}

// A well-formed PNG header that declares `width` x `height` pixels, followed by a few bytes of
// image data and nothing else.
QByteArray declaredPng(quint32 width, quint32 height)
{
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 8; // bit depth
    header[9] = 6; // RGBA
    return logocodec::kPngSignature + chunk("IHDR", header) + chunk("IDAT", QByteArray(16, 'x')) +
           chunk("IEND", {});
}

} // namespace

// Values the launcher never writes but may meet in a shared database: very long texts, nulls in
// every nullable column, text outside Latin script, and logos that are no pictures.
class AdminBadDataTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<AdminSession> session;

    void addUser(const QVariantList &values)
    {
        execWith(session->workstation,
                 QStringLiteral("Insert Into Users (UserName, Password, Style, User_FullName, "
                                "User_Department, isActive, Created_Date, Created_By) "
                                "Values (?, ?, ?, ?, ?, ?, ?, ?)"),
                 values);
    }
    static void selectUser(TUsersMgtForm &form, const QString &userName)
    {
        auto *grid = child<QTableView>(form, "DBGrid1");
        const QModelIndexList found = grid->model()->match(
            grid->model()->index(0, 0), Qt::DisplayRole, userName, 1, Qt::MatchExactly);
        QVERIFY2(!found.isEmpty(), qPrintable(userName));
        grid->setCurrentIndex(found.first());
    }
    static QTreeWidgetItem *findNode(QTreeWidgetItem *from, const QStringList &path)
    {
        QTreeWidgetItem *current = from;
        for (const QString &step : path) {
            QTreeWidgetItem *next = nullptr;
            for (int i = 0; i < current->childCount() && next == nullptr; ++i) {
                if (current->child(i)->text(0) == step)
                    next = current->child(i);
            }
            if (next == nullptr)
                return nullptr;
            current = next;
        }
        return current;
    }

private slots:
    void init() { session = std::make_unique<AdminSession>(); }
    void cleanup() { session.reset(); }

    void usersListShowsOddRowsAndChangesThem()
    {
        addUser({kArabic, QStringLiteral("كلمة"), kNullText, kLong, kCjk, 1,
                 QStringLiteral("not a date"), kEmoji});
        addUser({QStringLiteral("nulls"), kNullText, kNullText, kNullText, kNullText, QVariant(),
                 QVariant(), kNullText});
        addUser({kEmoji, QStringLiteral("🔑🔑🔑"), QStringLiteral("Windows"), kCjk, kArabic, 1,
                 QStringLiteral("2024-02-29 23:59:59.999"), kLong});

        TUsersMgtForm form(session->dm(), session->services());
        form.show();
        QVERIFY(session->dialogs.boxes().isEmpty());
        auto *grid = child<QTableView>(form, "DBGrid1");
        QAbstractItemModelTester tester(grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(grid->model()->rowCount(), 6);

        selectUser(form, kArabic);
        QCOMPARE(text(form, "DBEdit1"), kArabic);
        QCOMPARE(text(form, "DBEdit2"), kLong);
        QCOMPARE(text(form, "DBEdit3"), kCjk);
        QCOMPARE(text(form, "DBEdit4"), QString());
        QCOMPARE(text(form, "DBEdit5"), kEmoji);

        selectUser(form, QStringLiteral("nulls"));
        for (const char *name : {"DBEdit2", "DBEdit3", "DBEdit4", "DBEdit5"})
            QCOMPARE(text(form, name), QString());
        QVERIFY(!child<QCheckBox>(form, "DBCheckBox1")->isChecked());

        selectUser(form, kEmoji);
        QCOMPARE(text(form, "DBEdit4"), QStringLiteral("29/02/2024"));
        QCOMPARE(text(form, "DBEdit5"), kLong);

        // A user whose every optional column is null can be modified and reset like any other.
        selectUser(form, QStringLiteral("nulls"));
        whenModal<TUsersDetailsForm>([](TUsersDetailsForm &details) {
            QCOMPARE(text(details, "edt_Password"), QString());
            QVERIFY(!child<QCheckBox>(details, "chk_isActive")->isChecked());
            child<QLineEdit>(details, "edt_UserFullName")->setText(QStringLiteral("Filled In"));
            click(details, "btn_OK");
        });
        click(form, "btn_Modify");
        QCOMPARE(session->dialogs.texts(),
                 QStringList{QStringLiteral("The User Was Modified successfully!")});
        QCOMPARE(session
                     ->scalar(QStringLiteral("Select User_FullName From Users "
                                             "Where UserName = 'nulls'"))
                     .toString(),
                 QStringLiteral("Filled In"));

        session->dialogs.clear();
        selectUser(form, kEmoji);
        click(form, "btn_ResetPassword");
        QCOMPARE(session->dialogs.texts(),
                 QStringList{QStringLiteral("User Password has been changed to Pq5710")});
        QCOMPARE(session->column(QStringLiteral("Select UserName From Users "
                                                "Where Password = 'Pq5710'")),
                 QStringList{kEmoji});
    }

    void usersAddedWithForeignTextAreStoredExactly()
    {
        TUsersMgtForm form(session->dm(), session->services());
        form.show();
        for (const QString &id : {kArabic, kCjk, kEmoji}) {
            form.addUser({id, TUsersMgtForm::kDefaultPassword, id + QStringLiteral(" ") + kEmoji,
                          kArabic, true});
            QCOMPARE(text(form, "DBEdit1"), id);
        }
        QCOMPARE(session->dialogs.boxes().size(), 3);
        QCOMPARE(
            session->column(QStringLiteral("Select User_FullName From Users "
                                           "Where User_Department = '%1' Order By rowid")
                                .arg(kArabic)),
            (QStringList{kArabic + u' ' + kEmoji, kCjk + u' ' + kEmoji, kEmoji + u' ' + kEmoji}));
    }

    // Roles whose module or screen is empty, long or foreign still make a tree whose role nodes
    // can be granted.
    void roleTreeTakesOddCatalogueNames_data()
    {
        QTest::addColumn<QVariant>("module");
        QTest::addColumn<QVariant>("screen");
        QTest::addColumn<QString>("role");
        QTest::newRow("empty module")
            << QVariant(QStringLiteral("")) << QVariant(QStringLiteral("S"))
            << QStringLiteral("Odd_EmptyModule");
        QTest::newRow("empty screen")
            << QVariant(QStringLiteral("M")) << QVariant(QStringLiteral(""))
            << QStringLiteral("Odd_EmptyScreen");
        QTest::newRow("both empty") << QVariant(QStringLiteral("")) << QVariant(QStringLiteral(""))
                                    << QStringLiteral("Odd_BothEmpty");
        QTest::newRow("long names") << QVariant(kLong) << QVariant(kLong) << kLong;
        QTest::newRow("foreign names")
            << QVariant(kArabic) << QVariant(kCjk) << QStringLiteral("دور_") + kEmoji;
        QTest::newRow("blanks") << QVariant(QStringLiteral("  ")) << QVariant(QStringLiteral(" "))
                                << QStringLiteral(" Odd_Blanks ");
    }
    void roleTreeTakesOddCatalogueNames()
    {
        QFETCH(QVariant, module);
        QFETCH(QVariant, screen);
        QFETCH(QString, role);
        execWith(session->workstation,
                 QStringLiteral("Insert Into Roles (Module, Screen, RoleName, RoleDesc, "
                                "RoleUsedBy) Values (?, ?, ?, ?, ?)"),
                 {module, screen, role, kNullText, kLong});

        TAssignRolesForm form(session->dm(), session->services());
        form.show();
        QVERIFY(session->dialogs.boxes().isEmpty());
        auto *tree = child<QTreeWidget>(form, "TreeView1");
        QTreeWidgetItem *node =
            findNode(tree->topLevelItem(0), {module.toString(), screen.toString(), role});
        QVERIFY(node != nullptr);
        // Every other role is still in its place.
        QVERIFY(findNode(tree->topLevelItem(0),
                         {QStringLiteral("CorvelPayroll"), QStringLiteral("Payslips"),
                          QStringLiteral("Payroll_Run")}) != nullptr);

        auto *users = child<QComboBox>(form, "cb_Users");
        users->setCurrentIndex(users->findText(QStringLiteral("clerk")));
        emit users->activated(users->currentIndex());
        tree->setCurrentItem(node);
        QCOMPARE(child<QLabel>(form, "lbl_RoleAndDesc")->text(), role + QStringLiteral(", "));
        click(form, "btn_Add");
        QVERIFY(session->dialogs.boxes().isEmpty());
        QVERIFY(session
                    ->column(QStringLiteral("Select RoleName From UsersRoles "
                                            "Where UserName = 'clerk'"))
                    .contains(role));
    }

    void grantsOfForeignUsersAndRolesAreListedAndRemoved()
    {
        addUser({kCjk, QStringLiteral("x"), kNullText, kNullText, kLong, 1, QVariant(), kNullText});
        for (const QString &role : {kEmoji, kArabic, kLong})
            execWith(session->workstation,
                     QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (?, ?)"),
                     {kCjk, role});
        execWith(session->workstation,
                 QStringLiteral("Insert Into UsersRoles (UserName, RoleName) Values (?, ?)"),
                 {kCjk, kNullText});

        TAssignRolesForm form(session->dm(), session->services());
        form.show();
        auto *users = child<QComboBox>(form, "cb_Users");
        QVERIFY(users->findText(kCjk) > 0);
        users->setCurrentIndex(users->findText(kCjk));
        emit users->activated(users->currentIndex());
        QCOMPARE(text(form, "edt_Full_Name"), QString());
        QCOMPARE(text(form, "edt_Department"), kLong);
        auto *grid = child<QTableView>(form, "DBGrid3");
        QAbstractItemModelTester tester(grid->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList listed;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            listed << grid->model()->index(row, 0).data().toString();
        QCOMPARE(listed.size(), 4);
        for (const QString &role : {kEmoji, kArabic, kLong})
            QVERIFY(listed.contains(role));

        click(form, "btn_RemoveAllRoles");
        QVERIFY(session->dialogs.boxes().isEmpty());
        QCOMPARE(grid->model()->rowCount(), 0);
        QCOMPARE(session
                     ->scalar(QStringLiteral("Select Count(*) From UsersRoles Where UserName = "
                                             "'%1'")
                                  .arg(kCjk))
                     .toInt(),
                 0);
    }

    void assetsWindowShowsOddNamesAndStoresThemBack()
    {
        execWith(session->workstation,
                 QStringLiteral("Update ReportingAssets Set Company_Name_en = ?, "
                                "Company_Name_ar = ? Where Rec_ID = 1"),
                 {kEmoji + kCjk, kLong});
        TReportingAssetsManagementForm form(session->dm(), session->services());
        form.show();
        QCOMPARE(text(form, "edt_Company_Name_en"), kEmoji + kCjk);
        QCOMPARE(text(form, "edt_Company_Name_ar"), kLong);
        click(form, "btn_Confirm");
        QCOMPARE(session->dialogs.boxes().size(), 1);
        QCOMPARE(session->scalar(QStringLiteral("Select Company_Name_en From ReportingAssets"))
                     .toString(),
                 kEmoji + kCjk);
        QCOMPARE(session->scalar(QStringLiteral("Select Company_Name_ar From ReportingAssets"))
                     .toString(),
                 kLong);

        execWith(session->workstation,
                 QStringLiteral("Update ReportingAssets Set Company_Name_en = ?, "
                                "Company_Name_ar = ? Where Rec_ID = 1"),
                 {kNullText, kNullText});
        TReportingAssetsManagementForm again(session->dm(), session->services());
        again.show();
        QCOMPARE(text(again, "edt_Company_Name_en"), QString());
        QCOMPARE(text(again, "edt_Company_Name_ar"), QString());
    }

    void storedValueThatIsNoUsableLogoOpensEmptyAndIsKept_data()
    {
        QTest::addColumn<QByteArray>("stored");
        const QByteArray good = pngOf(QImage(QSize(40, 20), QImage::Format_RGB32));
        QTest::newRow("truncated") << good.left(good.size() / 2);
        QTest::newRow("header only") << good.left(33);
        QByteArray badCrc = good;
        badCrc[29] = char(badCrc.at(29) ^ 0x55);
        QTest::newRow("damaged header checksum") << badCrc;
        QTest::newRow("declares 100000 x 100000") << declaredPng(100000, 100000);
        QTest::newRow("declares 8192 x 8192, holds nothing") << declaredPng(8192, 8192);
        QTest::newRow("declares zero size") << declaredPng(0, 0);
        QByteArray prefixedGarbage(8, '\0');
        qToLittleEndian<quint16>(1, prefixedGarbage.data());
        qToLittleEndian<quint16>(256, prefixedGarbage.data() + 2);
        qToLittleEndian<quint32>(4, prefixedGarbage.data() + 4);
        QTest::newRow("length prefix before text") << prefixedGarbage + QByteArray("text");
        QTest::newRow("UTF-8 text") << QStringLiteral("شعار").toUtf8();
    }
    void storedValueThatIsNoUsableLogoOpensEmptyAndIsKept()
    {
        QFETCH(QByteArray, stored);
        execWith(session->workstation,
                 QStringLiteral("Update ReportingAssets Set Company_Logo_Rectangle = ?, "
                                "Company_Logo_Square = ? Where Rec_ID = 1"),
                 {stored, stored});
        TReportingAssetsManagementForm form(session->dm(), session->services());
        form.show();
        QVERIFY(session->dialogs.boxes().isEmpty());
        for (const char *name : {"img_Rectangle_Logo", "img_Square_Logo"}) {
            const QImage shown = child<LogoPicture>(form, name)->image();
            // A partly readable picture may show what could be read; nothing else may.
            QVERIFY(shown.isNull() || shown.width() <= logocodec::kMaxLogoSide);
        }
        QVERIFY(form.grab().width() > 0);
        click(form, "btn_Confirm");
        QCOMPARE(session->dialogs.boxes().size(), 1);
        QVERIFY(session->dialogs.lastText().startsWith(QStringLiteral("Settings Saved")));
        for (const char *column : {"Company_Logo_Rectangle", "Company_Logo_Square"}) {
            const QByteArray written =
                session->scalar(QStringLiteral("Select %1 From ReportingAssets").arg(column))
                    .toByteArray();
            // Written back as read: a logo this window cannot show may be one a module can.
            QCOMPARE(written, stored);
        }
    }
};

CORVEL_TEST(AdminBadDataTest)
#include "AdminBadDataTest.moc"
