#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "admin/LogoCodec.h"
#include "admin/LogoPicture.h"
#include "admin/ReportingAssetsManagementForm.h"
#include "app/DataModule1.h"

#include <QBuffer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QtEndian>

using namespace corvel;
using corvel::test::RecordingShell;
using corvel::test::ScriptedDialogService;
using corvel::test::Workstation;

namespace {

const QString kSaved = QStringLiteral(
    "Settings Saved Successfuly!\r\nAll Users Should Restart Their Corvel Applications");

QImage picture(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    image.setPixelColor(0, 0, Qt::black); // something to tell orientation by
    return image;
}

QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

bool samePixels(const QImage &a, const QImage &b)
{
    return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

// The row's columns as the database holds them.
struct Row
{
    bool exists = false;
    QString english;
    QString arabic;
    QVariant square;
    QVariant rectangle;
};

struct Fixture
{
    Fixture()
    {
        workstation.useSeededDatabase();
        form = std::make_unique<TReportingAssetsManagementForm>(dataModule, services);
    }

    void setRow(const QVariant &english, const QVariant &arabic, const QVariant &square,
                const QVariant &rectangle)
    {
        QSqlQuery query(workstation.direct());
        query.prepare(QStringLiteral("Update ReportingAssets set Company_Name_en = ?, "
                                     "Company_Name_ar = ?, Company_Logo_Square = ?, "
                                     "Company_Logo_Rectangle = ? Where Rec_ID = 1"));
        query.addBindValue(english);
        query.addBindValue(arabic);
        query.addBindValue(square);
        query.addBindValue(rectangle);
        if (!query.exec())
            qFatal("%s", qPrintable(query.lastError().text()));
    }
    Row row()
    {
        QSqlQuery query(workstation.direct());
        query.exec(QStringLiteral("Select Company_Name_en, Company_Name_ar, Company_Logo_Square, "
                                  "Company_Logo_Rectangle From ReportingAssets Where Rec_ID = 1"));
        if (!query.next())
            return {};
        return {true, query.value(0).toString(), query.value(1).toString(), query.value(2),
                query.value(3)};
    }
    void open()
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    QLineEdit *edit(const char *name) const
    {
        return form->findChild<QLineEdit *>(QString::fromLatin1(name));
    }
    LogoPicture *logo(const char *name) const
    {
        return form->findChild<LogoPicture *>(QString::fromLatin1(name));
    }
    void click(const char *name) const
    {
        QTest::mouseClick(form->findChild<QPushButton *>(QString::fromLatin1(name)),
                          Qt::LeftButton);
    }
    QString writeFile(const QString &name, const QByteArray &content) const
    {
        QFile file(workstation.path(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(name));
        return file.fileName();
    }

    Workstation workstation;
    TDataModule1 dataModule{workstation.launcherPath()};
    ScriptedDialogService dialogs;
    RecordingShell shell;
    Services services{dialogs, shell};
    std::unique_ptr<TReportingAssetsManagementForm> form;
};

} // namespace

class ReportingAssetsTest : public QObject
{
    Q_OBJECT

private slots:
    void storedLogosAndNamesRoundTripUnchanged();
    void emptyStoredLogoOpensEmptyAndIsStoredAsTheSignature_data();
    void emptyStoredLogoOpensEmptyAndIsStoredAsTheSignature();
    void storedLogoThatCannotBeShownSaysSoAndIsWrittenBackUnchanged_data();
    void storedLogoThatCannotBeShownSaysSoAndIsWrittenBackUnchanged();
    void lengthPrefixedStoredValueIsDecodedAndWrittenBackAsStored();
    void namesAreStoredTrimmedAndEnglishStopsAtFifty();
    void uploadedPictureIsShownScaledAndStoredAtFullSize();
    void cancelledUploadChangesNothing();
    void undecodableUploadKeepsTheEarlierLogo_data();
    void undecodableUploadKeepsTheEarlierLogo();
    void missingRowIsReportedInsteadOfSuccess();
    void databaseFailureRollsBackAndKeepsTheWindowOpen();
    void closeStoresNothing();
    void restoringFromMinimisedKeepsEdits();
    void confirmStaysDisabledWhenTheRowCannotBeRead();
};

void ReportingAssetsTest::storedLogosAndNamesRoundTripUnchanged()
{
    Fixture f;
    const QImage square = picture(150, 150, Qt::darkGreen);
    const QImage rectangle = picture(300, 150, QColor(10, 20, 200, 128));
    f.setRow(QStringLiteral("Corvel Trading"), QStringLiteral("كورفل"), png(square),
             png(rectangle));
    f.open();
    QCOMPARE(f.edit("edt_Company_Name_en")->text(), QStringLiteral("Corvel Trading"));
    QCOMPARE(f.edit("edt_Company_Name_ar")->text(), QStringLiteral("كورفل"));
    QVERIFY(samePixels(f.logo("img_Square_Logo")->image(), square));
    QVERIFY(samePixels(f.logo("img_Rectangle_Logo")->image(), rectangle));
    QVERIFY(f.dialogs.boxes().isEmpty());

    f.click("btn_Confirm");
    QCOMPARE(f.dialogs.texts(), QStringList{kSaved});
    QCOMPARE(f.form->result(), int(QDialog::Accepted));
    const Row row = f.row();
    QCOMPARE(row.english, QStringLiteral("Corvel Trading"));
    QCOMPARE(row.arabic, QStringLiteral("كورفل"));
    QVERIFY(samePixels(QImage::fromData(row.square.toByteArray(), "PNG"), square));
    QVERIFY(samePixels(QImage::fromData(row.rectangle.toByteArray(), "PNG"), rectangle));
    QVERIFY(!f.dataModule.ADOConnection1.inTransaction());
}

void ReportingAssetsTest::emptyStoredLogoOpensEmptyAndIsStoredAsTheSignature_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("NULL") << QVariant(QMetaType::fromType<QByteArray>());
    QTest::newRow("empty") << QVariant(QByteArray());
    QTest::newRow("signature alone") << QVariant(logocodec::kPngSignature);
}

void ReportingAssetsTest::emptyStoredLogoOpensEmptyAndIsStoredAsTheSignature()
{
    QFETCH(QVariant, stored);
    Fixture f;
    const QImage square = picture(150, 150, Qt::red);
    f.setRow(QStringLiteral("A"), QStringLiteral("B"), png(square), stored);
    f.open();
    QVERIFY(f.logo("img_Rectangle_Logo")->image().isNull());
    QVERIFY(f.logo("img_Rectangle_Logo")->imageRect().isEmpty());
    QVERIFY(f.logo("img_Rectangle_Logo")->notice().isEmpty());
    QVERIFY(f.form->rectangleLogo().isNull());
    QVERIFY(samePixels(f.logo("img_Square_Logo")->image(), square));
    QVERIFY(f.dialogs.boxes().isEmpty());

    f.click("btn_Confirm");
    QCOMPARE(f.dialogs.lastText(), kSaved);
    QCOMPARE(f.row().rectangle.toByteArray(), QByteArray("\x89PNG\r\n\x1a\n", 8));
}

// Confirm used to store such a logo as an empty one, so fixing a company name wiped it.
void ReportingAssetsTest::storedLogoThatCannotBeShownSaysSoAndIsWrittenBackUnchanged_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a picture") << QByteArray("GIF89a nonsense") << QString();
    QTest::newRow("wider than accepted")
        << png(QImage(9000, 100, QImage::Format_Mono))
        << QStringLiteral("The picture is 9000 x 100 pixels; at most %1 x %1 are accepted")
               .arg(logocodec::kMaxLogoSide);
}

void ReportingAssetsTest::storedLogoThatCannotBeShownSaysSoAndIsWrittenBackUnchanged()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, reason);
    Fixture f;
    f.setRow(QStringLiteral("Old name"), QStringLiteral("B"), QVariant(), stored);
    f.open();
    LogoPicture *box = f.logo("img_Rectangle_Logo");
    QVERIFY(box->image().isNull());
    QVERIFY(box->notice().startsWith(QStringLiteral("The stored logo cannot be shown")));
    QVERIFY(box->notice().contains(reason));
    QCOMPARE(box->accessibleDescription(), box->notice());
    QVERIFY(f.dialogs.boxes().isEmpty());

    f.edit("edt_Company_Name_en")->setText(QStringLiteral("New name"));
    f.click("btn_Confirm");
    QCOMPARE(f.dialogs.texts(), QStringList{kSaved});
    QCOMPARE(f.row().english, QStringLiteral("New name"));
    QCOMPARE(f.row().rectangle.toByteArray(), stored);
}

void ReportingAssetsTest::lengthPrefixedStoredValueIsDecodedAndWrittenBackAsStored()
{
    const QImage square = picture(150, 150, Qt::cyan);
    const QByteArray plain = png(square);
    QByteArray prefixed(8, '\0');
    qToLittleEndian<quint16>(1, prefixed.data());
    qToLittleEndian<quint16>(256, prefixed.data() + 2);
    qToLittleEndian<quint32>(quint32(plain.size()), prefixed.data() + 4);
    prefixed += plain;
    // The same words with a count that does not match are no prefix.
    QByteArray wrongCount = prefixed;
    qToLittleEndian<quint32>(quint32(plain.size() + 1), wrongCount.data() + 4);

    Fixture f;
    f.setRow(QStringLiteral("A"), QStringLiteral("B"), prefixed, wrongCount);
    f.open();
    QVERIFY(samePixels(f.logo("img_Square_Logo")->image(), square));
    QVERIFY(f.logo("img_Rectangle_Logo")->image().isNull());
    f.click("btn_Confirm");
    QCOMPARE(f.row().square.toByteArray(), prefixed);
    QCOMPARE(f.row().rectangle.toByteArray(), wrongCount);
}

void ReportingAssetsTest::namesAreStoredTrimmedAndEnglishStopsAtFifty()
{
    Fixture f;
    f.open();
    QLineEdit *english = f.edit("edt_Company_Name_en");
    QLineEdit *arabic = f.edit("edt_Company_Name_ar");
    english->clear();
    QTest::keyClicks(english, QString(60, u'x'));
    QCOMPARE(english->text().size(), 50);
    english->setText(QStringLiteral("  Corvel Trading \t"));
    arabic->setText(QStringLiteral(" كورفل للتجارة  "));
    QCOMPARE(arabic->layoutDirection(), Qt::RightToLeft);
    QCOMPARE(arabic->maxLength(), 32767);
    f.click("btn_Confirm");
    QCOMPARE(f.row().english, QStringLiteral("Corvel Trading"));
    QCOMPARE(f.row().arabic, QStringLiteral("كورفل للتجارة"));
}

void ReportingAssetsTest::uploadedPictureIsShownScaledAndStoredAtFullSize()
{
    Fixture f;
    f.open();
    const QImage large = picture(600, 300, Qt::magenta);
    f.dialogs.chooseFileNext(f.writeFile(QStringLiteral("large.png"), png(large)));
    f.click("btn_Rectangle_Logo_FileName");
    QCOMPARE(f.dialogs.fileRequests().size(), 1);
    QCOMPARE(f.dialogs.fileRequests().first().filterName, QStringLiteral("png files"));
    QCOMPARE(f.dialogs.fileRequests().first().mask, QStringLiteral("*.png"));

    LogoPicture *box = f.logo("img_Rectangle_Logo");
    QCOMPARE(box->size(), QSize(290, 140));
    QCOMPARE(box->imageRect().size(), QSize(280, 140));
    QVERIFY(box->rect().contains(box->imageRect()));

    const QImage small = picture(40, 40, Qt::yellow);
    f.dialogs.chooseFileNext(f.writeFile(QStringLiteral("small.png"), png(small)));
    f.click("Button1");
    QCOMPARE(f.logo("img_Square_Logo")->imageRect().size(), QSize(140, 140));

    f.click("btn_Confirm");
    QCOMPARE(f.dialogs.lastText(), kSaved);
    const QImage stored = QImage::fromData(f.row().rectangle.toByteArray(), "PNG");
    QCOMPARE(stored.size(), QSize(600, 300));
    QVERIFY(samePixels(stored, large));
    QVERIFY(samePixels(QImage::fromData(f.row().square.toByteArray(), "PNG"), small));
}

void ReportingAssetsTest::cancelledUploadChangesNothing()
{
    Fixture f;
    const QImage square = picture(150, 150, Qt::blue);
    f.setRow(QStringLiteral("A"), QStringLiteral("B"), png(square), QVariant());
    f.open();
    f.click("Button1");
    QCOMPARE(f.dialogs.fileRequests().size(), 1);
    QVERIFY(samePixels(f.form->squareLogo(), square));
    QVERIFY(f.dialogs.boxes().isEmpty());
}

void ReportingAssetsTest::undecodableUploadKeepsTheEarlierLogo_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not a png") << QByteArray("\xFF\xD8\xFF\xE0 a jpeg, supposedly");
    QTest::newRow("truncated png") << png(picture(150, 150, Qt::gray)).left(60);
    QTest::newRow("taller than accepted") << png(QImage(1, 9000, QImage::Format_Mono));
}

void ReportingAssetsTest::undecodableUploadKeepsTheEarlierLogo()
{
    QFETCH(QByteArray, content);
    Fixture f;
    const QImage square = picture(150, 150, Qt::blue);
    f.setRow(QStringLiteral("A"), QStringLiteral("B"), png(square), QVariant());
    f.open();
    f.dialogs.chooseFileNext(f.writeFile(QStringLiteral("broken.png"), content));
    f.click("Button1");
    QCOMPARE(f.dialogs.boxes().size(), 1);
    QCOMPARE(f.dialogs.boxes().first().caption, QStringLiteral("Corvel Launcher"));
    QCOMPARE(f.dialogs.boxes().first().icon, MessageIcon::Error);
    QVERIFY(!f.dialogs.lastText().isEmpty());
    QVERIFY(samePixels(f.form->squareLogo(), square));
    QVERIFY(samePixels(f.logo("img_Square_Logo")->image(), square));

    f.click("btn_Confirm");
    QCOMPARE(f.dialogs.lastText(), kSaved);
    QVERIFY(samePixels(QImage::fromData(f.row().square.toByteArray(), "PNG"), square));
}

void ReportingAssetsTest::missingRowIsReportedInsteadOfSuccess()
{
    Fixture f;
    f.workstation.exec(QStringLiteral("Delete From ReportingAssets"));
    f.open();
    QVERIFY(f.dialogs.boxes().isEmpty());
    QVERIFY(f.edit("edt_Company_Name_en")->text().isEmpty());
    QVERIFY(f.logo("img_Rectangle_Logo")->image().isNull());
    QVERIFY(f.logo("img_Square_Logo")->image().isNull());

    f.edit("edt_Company_Name_en")->setText(QStringLiteral("Corvel"));
    f.click("btn_Confirm");
    QCOMPARE(f.dialogs.texts(),
             QStringList{QStringLiteral(
                 "Something went wrong!\r\nThe reporting assets row was not found")});
    QVERIFY(f.form->isVisible());
    QVERIFY(!f.dataModule.ADOConnection1.inTransaction());
    QVERIFY(!f.row().exists);
}

void ReportingAssetsTest::databaseFailureRollsBackAndKeepsTheWindowOpen()
{
    Fixture f;
    f.setRow(QStringLiteral("Before"), QStringLiteral("B"), QVariant(), QVariant());
    f.workstation.exec(QStringLiteral("Create Trigger refuse Before Update On ReportingAssets "
                                      "Begin Select Raise(Abort, 'logo refused'); End"));
    f.open();
    f.edit("edt_Company_Name_en")->setText(QStringLiteral("After"));
    f.click("btn_Confirm");
    QCOMPARE(f.dialogs.boxes().size(), 1);
    QVERIFY(f.dialogs.lastText().startsWith(QStringLiteral("Something went wrong!\r\n")));
    QVERIFY(f.dialogs.lastText().contains(QStringLiteral("logo refused")));
    QVERIFY(f.form->isVisible());
    QCOMPARE(f.edit("edt_Company_Name_en")->text(), QStringLiteral("After"));
    QVERIFY(!f.dataModule.ADOConnection1.inTransaction());
    QCOMPARE(f.row().english, QStringLiteral("Before"));
}

void ReportingAssetsTest::closeStoresNothing()
{
    Fixture f;
    const Row before = f.row();
    f.open();
    f.edit("edt_Company_Name_en")->setText(QStringLiteral("Changed"));
    f.click("btn_Cancel");
    QCOMPARE(f.form->result(), int(QDialog::Rejected));
    QCOMPARE(f.row().english, before.english);
    QVERIFY(f.dialogs.boxes().isEmpty());
}

void ReportingAssetsTest::restoringFromMinimisedKeepsEdits()
{
    Fixture f;
    f.setRow(QStringLiteral("Stored"), QStringLiteral("B"), QVariant(), QVariant());
    f.open();
    f.edit("edt_Company_Name_en")->setText(QStringLiteral("Typed"));
    const QImage uploaded = picture(150, 150, Qt::darkRed);
    f.dialogs.chooseFileNext(f.writeFile(QStringLiteral("square.png"), png(uploaded)));
    f.click("Button1");

    f.form->showMinimized();
    f.form->showNormal();
    QCOMPARE(f.edit("edt_Company_Name_en")->text(), QStringLiteral("Typed"));
    QVERIFY(samePixels(f.form->squareLogo(), uploaded));
    QVERIFY(samePixels(f.logo("img_Square_Logo")->image(), uploaded));
}

void ReportingAssetsTest::confirmStaysDisabledWhenTheRowCannotBeRead()
{
    Fixture f;
    f.workstation.exec(QStringLiteral("Alter Table ReportingAssets Rename To Elsewhere"));
    f.open();
    QCOMPARE(f.dialogs.boxes().size(), 1);
    QCOMPARE(f.dialogs.boxes().first().icon, MessageIcon::Error);
    auto *confirm = f.form->findChild<QPushButton *>(QStringLiteral("btn_Confirm"));
    QVERIFY(!confirm->isEnabled());

    f.workstation.exec(QStringLiteral("Alter Table Elsewhere Rename To ReportingAssets"));
    f.edit("edt_Company_Name_en")->setText(QStringLiteral("Typed"));
    f.click("btn_Confirm");
    QCOMPARE(f.dialogs.boxes().size(), 1);
    QVERIFY(f.form->isVisible());
    QVERIFY(!f.row().english.isEmpty());
}

CORVEL_TEST(ReportingAssetsTest)
#include "ReportingAssetsTest.moc"
