#include "admin/AssignRolesForm.h"

#include "app/DataModule1.h"

namespace corvel {

TAssignRolesForm::TAssignRolesForm(TDataModule1 &dataModule, const Services &services,
                                   QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(QStringLiteral("Assign Roles Form"));
}

} // namespace corvel
