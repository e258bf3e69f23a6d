#include "admin/ReportingAssetsManagementForm.h"

#include "app/DataModule1.h"

namespace corvel {

TReportingAssetsManagementForm::TReportingAssetsManagementForm(TDataModule1 &dataModule,
                                                               const Services &services,
                                                               QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services)
{
    setWindowTitle(QStringLiteral("Reporting Assets Management"));
}

} // namespace corvel
