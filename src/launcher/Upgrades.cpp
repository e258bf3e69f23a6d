#include "launcher/Upgrades.h"

#include "app/DataModule1.h"
#include "launcher/ModuleCatalogue.h"
#include "launcher/ReportTemplates.h"
#include "platform/CopyProgressDialog.h"
#include "platform/DialogService.h"
#include "platform/Error.h"
#include "platform/FileOperations.h"
#include "platform/ShellService.h"
#include "platform/UpgradeBusyError.h"
#include "platform/Waiting.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

namespace corvel {

namespace {

const QString kUnreachable = QStringLiteral("We could not reach the updated file");
const QString kUpgraded = QStringLiteral("Application Upgraded");
const QString kFailed = QStringLiteral("Something went wrong\n\r");
const QString kReportsConfirmation = QStringLiteral("Choose 'OK' To Upgrade Reports && Forms");

QString quoted(const QString &text)
{
    return u'"' + text + u'"';
}

// The upgrade files that are programs are the ".exe" files of the catalogue.
fileops::Content contentOf(const QString &name)
{
    return name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive) ? fileops::Content::Program
                                                                      : fileops::Content::Data;
}

QString reportsFolderOf(const QString &folder)
{
    return folder + catalogue::kReportsFolder + QDir::separator();
}

} // namespace

Upgrades::Upgrades(TDataModule1 &dataModule, const Services &services,
                   std::chrono::milliseconds lockWait)
    : m_dataModule(dataModule), m_services(services), m_lockWait(lockWait)
{}

void Upgrades::DownloadUpdated(const QString &App_Name)
{
    const QString source = m_dataModule.Distribution_Path + App_Name;
    const QString target = m_dataModule.Local_Path + App_Name;
    if (!fileops::fileExists(source)) {
        m_services.dialogs.showPlain(kUnreachable);
        return;
    }
    try {
        // An upgrade replaces an installed module and never installs one: deleting the missing
        // file raises the platform's own error for it.
        if (!fileops::fileExists(target))
            fileops::deleteFile(target);
        {
            // Let go before the message: the box may stay open for long. The busy cursor and the
            // progress go with the lock.
            const Waiting waiting;
            CopyProgressDialog progress(App_Name, CopyProgressDialog::Unit::Bytes,
                                        QApplication::activeWindow());
            const UpgradeLock lock(m_dataModule.Local_Path, m_lockWait);
            fileops::removeInterruptedCopies(lock);
            fileops::replaceFile(source, target, contentOf(App_Name), progress.progress());
        }
        m_services.dialogs.showPlain(kUpgraded);
    } catch (const UpgradeBusyError &error) {
        m_services.dialogs.showPlain(error.message());
    } catch (const Error &error) {
        m_services.dialogs.showPlain(kFailed + error.typeName() + QStringLiteral(", ") +
                                     error.message());
    } catch (const std::exception &error) {
        m_services.dialogs.showPlain(kFailed + QStringLiteral("Exception, ") +
                                     QString::fromLocal8Bit(error.what()));
    }
}

void Upgrades::DeleteFilesMatchingPattern(const QString &Directory, const QString &Pattern)
{
    const QStringList files = fileops::listFiles(Directory, Pattern);
    for (const QString &file : files)
        fileops::deleteFile(file);
}

void Upgrades::DownloadFilesMatchingPattern(const QString &local_Directory,
                                            const QString &remote_Directory, const QString &Pattern)
{
    const QStringList files = fileops::listFiles(remote_Directory, Pattern);
    for (const QString &file : files)
        fileops::copyFile(file, local_Directory + QFileInfo(file).fileName());
}

void Upgrades::upgradeModule(const ModuleRecord &module)
{
    if (!m_services.dialogs.confirm(catalogue::upgradeConfirmation(module.upgradeFile)))
        return;
    DownloadUpdated(module.upgradeFile);
}

void Upgrades::upgradeReportsAndForms()
{
    if (!m_services.dialogs.confirm(kReportsConfirmation))
        return;
    {
        const Waiting waiting;
        CopyProgressDialog progress(QStringLiteral("the report templates"),
                                    CopyProgressDialog::Unit::Files, QApplication::activeWindow());
        ReportTemplates templates(reportsFolderOf(m_dataModule.Local_Path),
                                  reportsFolderOf(m_dataModule.Distribution_Path),
                                  catalogue::kReportPattern, {}, m_lockWait);
        templates.setProgress(progress.progress());
        templates.replace();
    }
    DownloadUpdated(catalogue::kPrintDesigner);
}

void Upgrades::upgradeLauncher()
{
    const QString &launcher = catalogue::launcher().executable;
    const QString parameters = quoted(m_dataModule.Local_Path + launcher) + u' ' +
                               quoted(m_dataModule.Distribution_Path + launcher);
    const Waiting waiting;
    m_services.shell.open(catalogue::kReinstaller, parameters, true);
}

} // namespace corvel
