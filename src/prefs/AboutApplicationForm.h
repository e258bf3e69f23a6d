#pragma once

#include "platform/Services.h"

#include <QDateTime>
#include <QDialog>
#include <QLocale>

class QLabel;
class QPushButton;

namespace corvel {

class TDataModule1;

class TAboutApplicationForm : public QDialog
{
    Q_OBJECT
public:
    TAboutApplicationForm(TDataModule1 &dataModule, const Services &services,
                          QWidget *parent = nullptr);

    // A file time as the version line gives it: two-second precision, the locale's short date and
    // long time, and the date alone at exactly midnight.
    static QString lastUpdatedText(const QDateTime &localTime, const QLocale &locale);

    void FormCreate();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fitLabels();

    TDataModule1 &m_dataModule;
    Services m_services;

    QWidget *Panel1 = nullptr;
    QLabel *lbl_ProductName = nullptr;
    QLabel *lbl_Version = nullptr;
    QLabel *lbl_LastUpdated = nullptr;
    QLabel *ProgramIcon = nullptr;
    QPushButton *OKButton = nullptr;
};

} // namespace corvel
