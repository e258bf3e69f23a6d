#pragma once

#include "platform/Services.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

namespace corvel {

class TDataModule1;

class TStyleForm : public QDialog
{
    Q_OBJECT
public:
    TStyleForm(TDataModule1 &dataModule, const Services &services, QWidget *parent = nullptr);

    void FormActivate();
    void Button1Click();
    void UpdateIniFile();

protected:
    void showEvent(QShowEvent *event) override;

private:
    TDataModule1 &m_dataModule;
    Services m_services;

    QLabel *Label1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QComboBox *cb_Styles = nullptr;
};

} // namespace corvel
