#include "admin/ChangePasswordForm.h"

#include "app/DataModule1.h"

namespace corvel {

TChangePasswordForm::TChangePasswordForm(TDataModule1 &dataModule, const Services &services,
                                         QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(QStringLiteral("Change Password Form"));
}

} // namespace corvel
