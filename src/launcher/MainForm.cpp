#include "launcher/MainForm.h"

#include "app/DataModule1.h"

namespace corvel {

TMainForm::TMainForm(TDataModule1 &dataModule, const Services &services, QWidget *parent)
    : QMainWindow(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(QStringLiteral("Corvel Launcher"));
    setFixedSize(1152, 708);
}

void TMainForm::Login() {}

void TMainForm::CheckAuthorities() {}

} // namespace corvel
