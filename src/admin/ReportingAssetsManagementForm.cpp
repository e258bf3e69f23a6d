#include "admin/ReportingAssetsManagementForm.h"

#include "platform/TrimmedText.h"

#include "admin/LogoCodec.h"
#include "admin/LogoPicture.h"
#include "app/DataModule1.h"
#include "app/TopLevelErrorHandler.h"
#include "platform/DialogService.h"
#include "platform/Error.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace corvel {

const QString TReportingAssetsManagementForm::kAssetsSql =
    QStringLiteral("Select *\r\nFrom ReportingAssets\r\nWhere Rec_ID = 1");
const QString TReportingAssetsManagementForm::kUpdateSql =
    QStringLiteral("Update ReportingAssets\r\n"
                   "set Company_Name_en = :Company_Name_en\r\n"
                   ", Company_Name_ar = :Company_Name_ar\r\n"
                   ", Company_Logo_Square = :Company_Logo_Square\r\n"
                   ", Company_Logo_Rectangle = :Company_Logo_Rectangle\r\n"
                   "Where Rec_ID = 1");

namespace {

// The update cannot tell whether it changed a row, so Confirm looks for the row first.
const QString kAssetsRowSql =
    QStringLiteral("Select Rec_ID\r\nFrom ReportingAssets\r\nWhere Rec_ID = 1");

const QString kCaption = QStringLiteral("Reporting Assets Management");
const QString kSaved = QStringLiteral(
    "Settings Saved Successfuly!\r\nAll Users Should Restart Their Corvel Applications");
const QString kFailed = QStringLiteral("Something went wrong!\r\n");
const QString kRowMissing = QStringLiteral("The reporting assets row was not found");
const QString kLogoUnreadable =
    QStringLiteral("The stored logo cannot be shown:\n%1\n\nConfirm keeps it unless you upload "
                   "another.");
const QString kPngFilter = QStringLiteral("png files");
const QString kPngMask = QStringLiteral("*.png");

constexpr int kContentLeft = 131;
constexpr int kContentWidth = 300;
constexpr int kLogoMargin = 5;

// NULL, nothing, or the signature alone: no logo at all.
bool isEmptyLogo(const QByteArray &stored)
{
    return stored.isEmpty() || stored == logocodec::kPngSignature;
}

QByteArray logoToStore(const QImage &held, const QByteArray &stored)
{
    return isEmptyLogo(stored) ? logocodec::encode(held) : stored;
}

} // namespace

TReportingAssetsManagementForm::TReportingAssetsManagementForm(TDataModule1 &dataModule,
                                                               const Services &services,
                                                               QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services),
      AssetsQ(dataModule.ADOConnection1, kAssetsSql),
      AssetsRowQ(dataModule.ADOConnection1, kAssetsRowSql),
      Comm_Update(dataModule.ADOConnection1, kUpdateSql)
{
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(443, 531);
    buildControls();
}

void TReportingAssetsManagementForm::buildControls()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    panel->setGeometry(3, 3, 118, height() - 6);

    btn_Confirm = new QPushButton(QStringLiteral("Confirm"), panel);
    btn_Confirm->setObjectName(QStringLiteral("btn_Confirm"));
    btn_Confirm->setGeometry(6, 8, 105, 33);
    // Until the row has been read, Confirm would blank it.
    btn_Confirm->setEnabled(false);
    btn_Cancel = new QPushButton(QStringLiteral("Close"), panel);
    btn_Cancel->setObjectName(QStringLiteral("btn_Cancel"));
    btn_Cancel->setGeometry(6, panel->height() - 8 - 33, 105, 33);

    QLabel *english = addLabel(QStringLiteral("Company Name (English):"),
                               QRect(kContentLeft, 12, kContentWidth, 16));
    edt_Company_Name_en = new QLineEdit(this);
    edt_Company_Name_en->setObjectName(QStringLiteral("edt_Company_Name_en"));
    edt_Company_Name_en->setGeometry(kContentLeft, 30, kContentWidth, 24);
    edt_Company_Name_en->setMaxLength(50);
    english->setBuddy(edt_Company_Name_en);
    edt_Company_Name_en->setAccessibleName(english->text());

    QLabel *arabic = addLabel(QStringLiteral("Company Name (Arabic):"),
                              QRect(kContentLeft, 66, kContentWidth, 16));
    edt_Company_Name_ar = new QLineEdit(this);
    edt_Company_Name_ar->setObjectName(QStringLiteral("edt_Company_Name_ar"));
    edt_Company_Name_ar->setGeometry(kContentLeft, 84, kContentWidth, 24);
    edt_Company_Name_ar->setLayoutDirection(Qt::RightToLeft);
    // Absolute: a right-to-left box mirrors a plain AlignRight to the left edge.
    edt_Company_Name_ar->setAlignment(Qt::AlignAbsolute | Qt::AlignRight | Qt::AlignVCenter);
    arabic->setBuddy(edt_Company_Name_ar);
    edt_Company_Name_ar->setAccessibleName(arabic->text());

    const QString rectangleCaption = QStringLiteral("Rectangle Logo 300 x 150 pxl:");
    addLabel(rectangleCaption, QRect(kContentLeft, 128, 210, 16));
    btn_Rectangle_Logo_FileName = new QPushButton(QStringLiteral("Upload"), this);
    btn_Rectangle_Logo_FileName->setObjectName(QStringLiteral("btn_Rectangle_Logo_FileName"));
    btn_Rectangle_Logo_FileName->setGeometry(kContentLeft + kContentWidth - 75, 122, 75, 25);
    btn_Rectangle_Logo_FileName->setAccessibleName(QStringLiteral("Upload ") + rectangleCaption);
    img_Rectangle_Logo = addLogoBox(QStringLiteral("img_Rectangle_Logo"),
                                    QRect(kContentLeft, 152, 300, 150), rectangleCaption);

    const QString squareCaption = QStringLiteral("Square Logo 150 x 150 pxl:");
    addLabel(squareCaption, QRect(kContentLeft, 322, 180, 16));
    Button1 = new QPushButton(QStringLiteral("Upload"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(kContentLeft + kContentWidth - 75, 316, 75, 25);
    Button1->setAccessibleName(QStringLiteral("Upload ") + squareCaption);
    img_Square_Logo = addLogoBox(QStringLiteral("img_Square_Logo"),
                                 QRect(kContentLeft, 346, 150, 150), squareCaption);

    setTabOrder(edt_Company_Name_en, edt_Company_Name_ar);
    setTabOrder(edt_Company_Name_ar, btn_Rectangle_Logo_FileName);
    setTabOrder(btn_Rectangle_Logo_FileName, Button1);
    setTabOrder(Button1, btn_Confirm);
    setTabOrder(btn_Confirm, btn_Cancel);
    // Enter or Space on a focused Confirm would store the row before anything was typed.
    edt_Company_Name_en->setFocus();

    const auto handle = [this](QPushButton *button,
                               void (TReportingAssetsManagementForm::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] {
            TopLevelErrorHandler::guard(m_services.dialogs, [&] { (this->*handler)(); });
        });
    };
    handle(btn_Confirm, &TReportingAssetsManagementForm::btn_ConfirmClick);
    handle(btn_Rectangle_Logo_FileName,
           &TReportingAssetsManagementForm::btn_Rectangle_Logo_FileNameClick);
    handle(Button1, &TReportingAssetsManagementForm::Button1Click);
    connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLabel *TReportingAssetsManagementForm::addLabel(const QString &caption, const QRect &geometry)
{
    auto *label = new QLabel(caption, this);
    label->setGeometry(geometry);
    return label;
}

LogoPicture *TReportingAssetsManagementForm::addLogoBox(const QString &name, const QRect &box,
                                                        const QString &label)
{
    auto *frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setGeometry(box);
    frame->setAutoFillBackground(true);
    QPalette white = frame->palette();
    white.setColor(QPalette::Window, Qt::white);
    frame->setPalette(white);

    auto *picture = new LogoPicture(frame);
    picture->setObjectName(name);
    picture->setAccessibleName(label);
    picture->setGeometry(QRect(QPoint(0, 0), box.size())
                             .adjusted(kLogoMargin, kLogoMargin, -kLogoMargin, -kLogoMargin));
    return picture;
}

void TReportingAssetsManagementForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A restore from the minimised state is spontaneous and must keep what was typed.
    if (!event->spontaneous())
        TopLevelErrorHandler::guard(m_services.dialogs, [&] { FormActivate(); });
}

void TReportingAssetsManagementForm::FormActivate()
{
    btn_Confirm->setEnabled(false);
    AssetsQ.close();
    AssetsQ.open();
    const bool found = !AssetsQ.isEmpty();
    edt_Company_Name_en->setText(found ? AssetsQ.text(QStringLiteral("Company_Name_en"))
                                       : QString());
    edt_Company_Name_ar->setText(found ? AssetsQ.text(QStringLiteral("Company_Name_ar"))
                                       : QString());
    pngImage_Rectangle_Logo = QImage();
    pngImage_Square_Logo = QImage();
    loadLogo(QStringLiteral("Company_Logo_Rectangle"), pngImage_Rectangle_Logo,
             m_storedRectangleLogo, img_Rectangle_Logo);
    loadLogo(QStringLiteral("Company_Logo_Square"), pngImage_Square_Logo, m_storedSquareLogo,
             img_Square_Logo);
    btn_Confirm->setEnabled(true);
}

void TReportingAssetsManagementForm::loadLogo(const QString &column, QImage &held,
                                              QByteArray &stored, LogoPicture *picture)
{
    picture->clear();
    stored = AssetsQ.isEmpty() ? QByteArray() : AssetsQ.bytes(column);
    if (isEmptyLogo(stored))
        return;
    try {
        held = logocodec::decodeStored(stored);
        picture->setImage(held);
    } catch (const Error &error) {
        picture->setNotice(kLogoUnreadable.arg(error.message()));
    }
}

void TReportingAssetsManagementForm::btn_Rectangle_Logo_FileNameClick()
{
    uploadLogo(pngImage_Rectangle_Logo, m_storedRectangleLogo, img_Rectangle_Logo);
}

void TReportingAssetsManagementForm::Button1Click()
{
    uploadLogo(pngImage_Square_Logo, m_storedSquareLogo, img_Square_Logo);
}

void TReportingAssetsManagementForm::uploadLogo(QImage &held, QByteArray &stored,
                                                LogoPicture *picture)
{
    const QString file = m_services.dialogs.chooseFile(kPngFilter, kPngMask);
    if (file.isEmpty())
        return;
    // Decode before replacing anything, so a bad file leaves the earlier logo to be stored.
    held = logocodec::readFile(file);
    stored.clear();
    picture->setImage(held);
}

void TReportingAssetsManagementForm::btn_ConfirmClick()
{
    try {
        store();
        m_services.dialogs.showPlain(kSaved);
        accept();
    } catch (const Error &error) {
        reportFailure(error.message());
    } catch (const std::exception &error) {
        reportFailure(QString::fromLocal8Bit(error.what()));
    }
}

void TReportingAssetsManagementForm::reportFailure(const QString &message)
{
    Connection &connection = m_dataModule.ADOConnection1;
    if (connection.inTransaction())
        connection.rollback();
    m_services.dialogs.showPlain(kFailed + message);
}

void TReportingAssetsManagementForm::store()
{
    Connection &connection = m_dataModule.ADOConnection1;
    connection.ensureOpen();
    connection.beginTransaction();
    AssetsRowQ.close();
    AssetsRowQ.open();
    if (AssetsRowQ.isEmpty())
        throw Error(kRowMissing);
    Comm_Update.setParameter(QStringLiteral("Company_Logo_Square"),
                             logoToStore(pngImage_Square_Logo, m_storedSquareLogo));
    Comm_Update.setParameter(QStringLiteral("Company_Logo_Rectangle"),
                             logoToStore(pngImage_Rectangle_Logo, m_storedRectangleLogo));
    Comm_Update.setParameter(QStringLiteral("Company_Name_en"),
                             trimmedText(edt_Company_Name_en->text()));
    Comm_Update.setParameter(QStringLiteral("Company_Name_ar"),
                             trimmedText(edt_Company_Name_ar->text()));
    Comm_Update.execute();
    connection.commit();
}

} // namespace corvel
