#include "prefs/CorvelDefaultsForm.h"

#include "app/DataModule1.h"

namespace corvel {

TCorvelDefaultsForm::TCorvelDefaultsForm(TDataModule1 &dataModule, const Services &services,
                                         QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(QStringLiteral("This PC Defaults"));
}

} // namespace corvel
