#pragma once

#include "platform/Services.h"

#include <QMainWindow>

namespace corvel {

class TDataModule1;

// The launcher's main window: the module tiles, the picture and the main menu.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    TMainForm(TDataModule1 &dataModule, const Services &services, QWidget *parent = nullptr);

    // Runs the login dialog and, when it closes with OK, CheckAuthorities.
    void Login();
    // Enables the tiles and menu items the logged-in user's roles allow.
    void CheckAuthorities();

private:
    TDataModule1 &m_dataModule;
    Services m_services;
};

} // namespace corvel
