#pragma once

#include "data/Command.h"
#include "data/Query.h"
#include "platform/Services.h"

#include <QDialog>
#include <QImage>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvel {

class LogoPicture;
class TDataModule1;

class TReportingAssetsManagementForm : public QDialog
{
    Q_OBJECT
public:
    TReportingAssetsManagementForm(TDataModule1 &dataModule, const Services &services,
                                   QWidget *parent = nullptr);

    void FormActivate();
    void btn_Rectangle_Logo_FileNameClick();
    void Button1Click();
    void btn_ConfirmClick();

    // What Confirm stores, which is not necessarily what the boxes show.
    const QImage &rectangleLogo() const noexcept { return pngImage_Rectangle_Logo; }
    const QImage &squareLogo() const noexcept { return pngImage_Square_Logo; }

    static const QString kAssetsSql;
    static const QString kUpdateSql;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    QLabel *addLabel(const QString &caption, const QRect &geometry);
    LogoPicture *addLogoBox(const QString &name, const QRect &box, const QString &label);
    void uploadLogo(QImage &held, QByteArray &stored, LogoPicture *picture);
    void loadLogo(const QString &column, QImage &held, QByteArray &stored, LogoPicture *picture);
    void store();
    void reportFailure(const QString &message);

    TDataModule1 &m_dataModule;
    Services m_services;

    Query AssetsQ;
    Query AssetsRowQ;
    Command Comm_Update;
    QImage pngImage_Rectangle_Logo;
    QImage pngImage_Square_Logo;
    // The values as read, which Confirm writes back unless an upload replaced them: re-encoding
    // would turn a logo that cannot be shown into an empty one.
    QByteArray m_storedRectangleLogo;
    QByteArray m_storedSquareLogo;

    QPushButton *btn_Confirm = nullptr;
    QPushButton *btn_Cancel = nullptr;
    QLineEdit *edt_Company_Name_en = nullptr;
    QLineEdit *edt_Company_Name_ar = nullptr;
    QPushButton *btn_Rectangle_Logo_FileName = nullptr;
    QPushButton *Button1 = nullptr;
    LogoPicture *img_Rectangle_Logo = nullptr;
    LogoPicture *img_Square_Logo = nullptr;
};

} // namespace corvel
