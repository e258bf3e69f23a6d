#include "CataloguePrograms.h"

#include "launcher/ModuleCatalogue.h"

namespace corvel::publish {

const QList<CatalogueProgram> &cataloguePrograms()
{
    static const QList<CatalogueProgram> programs = [] {
        QList<CatalogueProgram> all{
            {catalogue::launcher().executable, catalogue::launcher().appId}};
        for (const ModuleRecord &module : catalogue::modules()) {
            all.append({module.executable, module.appId});
            if (module.upgradeFile.compare(module.executable, Qt::CaseInsensitive) != 0)
                all.append({module.upgradeFile, QString()});
        }
        return all;
    }();
    return programs;
}

const CatalogueProgram *programOfRow(const QString &appId)
{
    for (const CatalogueProgram &program : cataloguePrograms()) {
        if (!program.appId.isEmpty() && program.appId.compare(appId, Qt::CaseInsensitive) == 0)
            return &program;
    }
    return nullptr;
}

} // namespace corvel::publish
