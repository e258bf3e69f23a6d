#pragma once

#include "data/Query.h"
#include "platform/Services.h"

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvel {

class TDataModule1;

// Checks a user id and password against Users and, on success, stores both in the session.
// The third attempt of the whole run closes the dialog with Cancel when it fails.
class TLoginForm : public QDialog
{
    Q_OBJECT
public:
    TLoginForm(TDataModule1 &dataModule, const Services &services, QWidget *parent = nullptr);

    enum class ModalResult
    {
        None,
        Ok,
        Cancel
    };
    // What Login left for the dialog: None keeps it open.
    ModalResult modalResult() const noexcept { return m_modalResult; }

    // The run-wide attempt counter belongs to the program, not to a dialog; only tests, which
    // simulate many runs in one process, may put it back to zero.
    static void resetAttemptCounter();

    void Login();

    static const QString kGetUserSql;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void btn_LoginClick();
    // Runs Login as an event handler would, then closes the dialog when Login set a result.
    void submit();

    TDataModule1 &m_dataModule;
    Services m_services;
    Query GetUserQ;
    ModalResult m_modalResult = ModalResult::None;

    QFrame *Panel1;
    QPushButton *btn_Login;
    QPushButton *Button1;
    QLabel *Label1;
    QLineEdit *edt_UserName;
    QLabel *Label2;
    QLineEdit *edt_Password;
};

} // namespace corvel
