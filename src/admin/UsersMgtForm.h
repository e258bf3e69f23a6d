#pragma once

#include "platform/Services.h"

#include <QDialog>

namespace corvel {

class TDataModule1;

class TUsersMgtForm : public QDialog
{
    Q_OBJECT
public:
    TUsersMgtForm(TDataModule1 &dataModule, const Services &services, QWidget *parent = nullptr);

private:
    TDataModule1 &m_dataModule;
    Services m_services;
};

} // namespace corvel
