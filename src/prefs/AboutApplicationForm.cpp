#include "prefs/AboutApplicationForm.h"

#include "app/DataModule1.h"

namespace corvel {

TAboutApplicationForm::TAboutApplicationForm(TDataModule1 &dataModule, const Services &services,
                                             QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(QStringLiteral("About Corvel Launcher"));
}

} // namespace corvel
