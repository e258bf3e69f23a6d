#include "prefs/StyleForm.h"

#include "app/DataModule1.h"

namespace corvel {

TStyleForm::TStyleForm(TDataModule1 &dataModule, const Services &services, QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(QStringLiteral("Style Form"));
}

} // namespace corvel
