#pragma once

#include <QApplication>

namespace corvel {

class DialogService;

// The application object: an exception escaping any event delivery reaches the top-level error
// box instead of ending the program.
class CorvelApplication : public QApplication
{
    Q_OBJECT
public:
    CorvelApplication(int &argc, char **argv);

    void setDialogService(DialogService *dialogs) { m_dialogs = dialogs; }
    bool notify(QObject *receiver, QEvent *event) override;

private:
    DialogService *m_dialogs = nullptr;
};

} // namespace corvel
