#include "admin/UsersMgtForm.h"

#include "app/DataModule1.h"

namespace corvel {

TUsersMgtForm::TUsersMgtForm(TDataModule1 &dataModule, const Services &services, QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(QStringLiteral("Users Management Form"));
}

} // namespace corvel
