#pragma once

#include "platform/Services.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvel {

class IPv4AddressEdit;
class TDataModule1;

class TCorvelDefaultsForm : public QDialog
{
    Q_OBJECT
public:
    TCorvelDefaultsForm(TDataModule1 &dataModule, const Services &services,
                        QWidget *parent = nullptr);

    void FormCreate();
    void btn_SaveClick();
    void btn_PhotoPathClick();
    void btn_PassportPathClick();
    void btn_RPPathClick();
    void btn_SharedFolder_PathClick();

private:
    void buildControls();
    QLabel *addLabel(const QString &name, const QString &caption, QWidget *field);
    QLineEdit *addEdit(const QString &name, const QRect &geometry);
    QComboBox *addShowList(const QString &name, const QRect &geometry);
    QPushButton *addFolderButton(const QString &name, const QRect &geometry, const QString &field);
    void chooseFolder(const QString &title, QLineEdit *field);
    QString sourceToSave() const;

    TDataModule1 &m_dataModule;
    Services m_services;
    // What Source held when the dialog opened, and what the address editor made of it.
    QString m_storedSource;
    QString m_shownSource;
    QString m_lastChosenFolder;

    QWidget *Panel1 = nullptr;
    QPushButton *btn_Save = nullptr;
    QPushButton *btn_Close = nullptr;
    QLineEdit *edt_Catalog = nullptr;
    IPv4AddressEdit *edt_Source = nullptr;
    QComboBox *cb_PhotoShow = nullptr;
    QLineEdit *edt_PhotoPath = nullptr;
    QPushButton *btn_PhotoPath = nullptr;
    QComboBox *cb_PassportShow = nullptr;
    QLineEdit *edt_PassportPath = nullptr;
    QPushButton *btn_PassportPath = nullptr;
    QComboBox *cb_RPShow = nullptr;
    QLineEdit *edt_RPPath = nullptr;
    QPushButton *btn_RPPath = nullptr;
    QLineEdit *edt_SharedFolder_Path = nullptr;
    QPushButton *btn_SharedFolder_Path = nullptr;
    QLineEdit *edt_CorvelPortal_URL = nullptr;
};

} // namespace corvel
