#include "app/TopLevelErrorHandler.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "data/DatabaseError.h"
#include "platform/SystemError.h"

#include <QTest>
#include <stdexcept>

using namespace corvel;
using corvel::test::ScriptedDialogService;

class TopLevelErrorHandlerTest : public QObject
{
    Q_OBJECT

private slots:
    void fullStopIsAddedOnlyAfterACharacterAboveIt_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Login failed"
                                << "Login failed.";
        QTest::newRow("digit") << "Code 42"
                               << "Code 42.";
        QTest::newRow("slash, just above the full stop") << "C:/"
                                                         << "C:/.";
        QTest::newRow("full stop") << "Done."
                                   << "Done.";
        QTest::newRow("exclamation mark") << "Stop!"
                                          << "Stop!";
        QTest::newRow("closing bracket") << "(see above)"
                                         << "(see above)";
        QTest::newRow("blank") << "Trailing "
                               << "Trailing ";
        QTest::newRow("comma") << "a,"
                               << "a,";
        QTest::newRow("hyphen, just below the full stop") << "a-"
                                                          << "a-";
        QTest::newRow("line break") << "line\n"
                                    << "line\n";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("non-latin") << QStringLiteral("خطأ") << QStringLiteral("خطأ.");
    }

    void fullStopIsAddedOnlyAfterACharacterAboveIt()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(TopLevelErrorHandler::boxText(message), shown);
    }

    void errorBoxHasTheApplicationCaptionAnErrorIconAndOneOk()
    {
        ScriptedDialogService dialogs;
        TopLevelErrorHandler::show(dialogs, QStringLiteral("Unable to write to C:\\Workers.ini"));
        const MessageBoxSpec expected{QStringLiteral("Corvel Launcher"),
                                      MessageIcon::Error,
                                      QStringLiteral("Unable to write to C:\\Workers.ini."),
                                      {DialogButton::Ok},
                                      DialogButton::Ok};
        QCOMPARE(dialogs.boxes(), QList<MessageBoxSpec>{expected});
    }

    void guardShowsWhatEscapesAndCarriesOn_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("shown");
        QTest::newRow("database error") << 0 << "Login failed for user 'sa'.";
        QTest::newRow("system error") << 1
                                      << "System Error.  Code: 1813.\nThe specified resource type "
                                         "cannot be found in the image file.";
        QTest::newRow("standard exception") << 2 << "bad thing.";
    }

    void guardShowsWhatEscapesAndCarriesOn()
    {
        QFETCH(int, kind);
        QFETCH(QString, shown);
        ScriptedDialogService dialogs;
        TopLevelErrorHandler::guard(dialogs, [&] {
            switch (kind) {
            case 0:
                throw DatabaseError(QStringLiteral("Login failed for user 'sa'."));
            case 1:
                throw SystemError(SystemError::ResourceTypeNotFound);
            default:
                throw std::runtime_error("bad thing");
            }
        });
        QCOMPARE(dialogs.texts(), QStringList{shown});
    }

    void guardShowsNothingWhenTheHandlerSucceeds()
    {
        ScriptedDialogService dialogs;
        int runs = 0;
        TopLevelErrorHandler::guard(dialogs, [&] { ++runs; });
        QCOMPARE(runs, 1);
        QVERIFY(dialogs.boxes().isEmpty());
    }
};

CORVEL_TEST(TopLevelErrorHandlerTest)
#include "TopLevelErrorHandlerTest.moc"
