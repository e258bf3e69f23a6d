#pragma once

#include "platform/DialogService.h"

namespace corvel {

// Real Qt message boxes and pickers, owned by the active window.
class QtDialogService : public DialogService
{
public:
    DialogButton showMessage(const MessageBoxSpec &box) override;
    QString chooseFile(const QString &filterName, const QString &mask) override;
    QString chooseFolder(const QString &title, const QString &note,
                         const QString &selected) override;
};

} // namespace corvel
