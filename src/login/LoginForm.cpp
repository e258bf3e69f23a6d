#include "login/LoginForm.h"

#include "app/DataModule1.h"

namespace corvel {

TLoginForm::TLoginForm(TDataModule1 &dataModule, const Services &services, QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(QStringLiteral("Login "));
}

} // namespace corvel
