#pragma once

#include "platform/Services.h"

#include <QDialog>

namespace corvel {

class TDataModule1;

class TCorvelDefaultsForm : public QDialog
{
    Q_OBJECT
public:
    TCorvelDefaultsForm(TDataModule1 &dataModule, const Services &services,
                        QWidget *parent = nullptr);

private:
    TDataModule1 &m_dataModule;
    Services m_services;
};

} // namespace corvel
