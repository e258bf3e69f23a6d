#include "admin/UsersDetailsForm.h"

#include "app/DataModule1.h"

namespace corvel {

TUsersDetailsForm::TUsersDetailsForm(TDataModule1 &dataModule, const Services &services,
                                     QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(QStringLiteral(""));
}

} // namespace corvel
