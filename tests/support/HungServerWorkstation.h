#pragma once

#include "SilentListener.h"
#include "Workstation.h"
#include "app/DataModule1.h"

#include <memory>

namespace corvel::test {

// A workstation whose SQL Server, reached through FreeTDS, takes the connection and never
// answers. Its connection waits a second rather than the production 15 and 30, so a test does
// not wait long for the failure.
struct HungServerWorkstation
{
    HungServerWorkstation()
    {
        ws.writeSettings(QStringLiteral("[Database]\r\nDriver=FreeTDS\r\nSource=127.0.0.1,%1\r\n"
                                        "Catalog=CorvelHR\r\nUserName=corvel_app\r\n")
                             .arg(server.port())
                             .toLatin1());
        dm.ADOConnection1.setTimeouts({1, 1});
    }

    SilentListener server;
    Workstation ws;
    TDataModule1 dm{ws.launcherPath()};
};

} // namespace corvel::test
