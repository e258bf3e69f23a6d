#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "app/DataModule1.h"
#include "launcher/MainForm.h"
#include "launcher/ModuleCatalogue.h"
#include "launcher/WebAddresses.h"
#include "login/LoginForm.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QResource>
#include <QScrollArea>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace corvel;
using namespace corvel::test;

namespace {

const QStringList kModuleButtons{
    QStringLiteral("btn_LaunchCorvelMap"),        QStringLiteral("btn_LaunchCorvelEmployee"),
    QStringLiteral("btn_LaunchCorvelAttendance"), QStringLiteral("btn_LaunchCorvelPayroll"),
    QStringLiteral("btn_LaunchCorvelOperations"), QStringLiteral("btn_LaunchCorvelTransportation"),
    QStringLiteral("btn_LaunchCorvelRevenue"),
};

// Runs `action` on the modal dialog that the next exec() shows.
void onNextModal(std::function<void(QDialog *)> action)
{
    QTimer::singleShot(0, [action] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
    });
}

} // namespace

class MainFormTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Workstation> ws;
    std::unique_ptr<TDataModule1> dm;
    ScriptedDialogService dialogs;
    RecordingShell shell;
    std::unique_ptr<TMainForm> form;

    QAction *action(const char *name) { return form->findChild<QAction *>(QLatin1String(name)); }
    QPushButton *button(const QString &name) { return form->findChild<QPushButton *>(name); }
    QStringList enabledLaunchButtons()
    {
        QStringList enabled;
        for (const ModuleRecord &tile : catalogue::tiles()) {
            if (button(tile.launchButton)->isEnabled())
                enabled << tile.launchButton;
        }
        return enabled;
    }
    void grant(const QString &user, const QStringList &roles)
    {
        ws->exec(QStringLiteral("INSERT INTO Users (UserName, Password, isActive) "
                                "VALUES ('%1', 'pw', 1)")
                     .arg(user));
        for (const QString &role : roles) {
            ws->exec(QStringLiteral("INSERT INTO UsersRoles (UserName, RoleName) "
                                    "VALUES ('%1', '%2')")
                         .arg(user, role));
        }
    }
    // File > Login, answering the dialog with `user` and `password`, or Cancel when user is null.
    void login(const QString &user, const QString &password)
    {
        onNextModal([user, password](QDialog *dialog) {
            if (user.isNull()) {
                dialog->reject();
                return;
            }
            dialog->findChild<QLineEdit *>(QStringLiteral("edt_UserName"))->setText(user);
            dialog->findChild<QLineEdit *>(QStringLiteral("edt_Password"))->setText(password);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("btn_Login")),
                              Qt::LeftButton);
        });
        action("Login1")->trigger();
    }
    void verifyLoggedOutState()
    {
        QCOMPARE(enabledLaunchButtons(), QStringList{QStringLiteral("btn_LaunchHRPortal")});
        QVERIFY(action("Login1")->isVisible());
        QVERIFY(!action("ChangePassword1")->isEnabled());
        QVERIFY(!action("Menu_Upgrades")->isVisible());
        QVERIFY(action("Menu_CorvelDefaults")->isEnabled());
        QVERIFY(!action("Menu_UsersAuthorities")->isEnabled());
        QVERIFY(!action("Menu_ReportingAssets")->isEnabled());
    }

private slots:
    void init()
    {
        TLoginForm::resetAttemptCounter();
        dialogs.clear();
        shell.clear();
        ws = std::make_unique<Workstation>();
        ws->useSeededDatabase();
        dm = std::make_unique<TDataModule1>(ws->launcherPath());
        dm->DataModuleCreate();
        form = std::make_unique<TMainForm>(*dm, Services{dialogs, shell});
    }
    void cleanup()
    {
        form.reset();
        dm.reset();
        ws.reset();
    }

    void startsLoggedOutWithFixedClientArea()
    {
        verifyLoggedOutState();
        QCOMPARE(form->windowTitle(), QStringLiteral("Corvel Launcher"));
        QCOMPARE(qobject_cast<QScrollArea *>(form->centralWidget())->widget()->size(),
                 QSize(1152, 708));
        QCOMPARE(form->minimumSize(), form->maximumSize());
        QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
        for (const ModuleRecord &tile : catalogue::tiles()) {
            QPushButton *launch = button(tile.launchButton);
            QCOMPARE(launch->text(), QStringLiteral("Launch"));
            QCOMPARE(launch->parentWidget()->objectName(), tile.panel);
            QCOMPARE(launch->focusPolicy(), Qt::NoFocus);
            QCOMPARE(launch->accessibleName(), QStringLiteral("Launch ") + tile.title);
            auto *icon = form->findChild<QLabel *>(tile.icon);
            QCOMPARE(icon->pixmap().deviceIndependentSize(), QSizeF(64, 64));
        }
        const QPixmap picture = form->findChild<QLabel *>(QStringLiteral("Image7"))->pixmap();
        QCOMPARE(picture.deviceIndependentSize(), QSizeF(700, 700));
        QVERIFY(!picture.hasAlpha());
    }

    // Shown from the raw pixels in the executable, in place where they are left uncompressed, and
    // the same picture as its JPEG.
    void pictureIsShownFromItsRawPixels()
    {
        const QImage shown =
            form->findChild<QLabel *>(QStringLiteral("Image7"))->pixmap().toImage();
        const QResource raw(QStringLiteral(":/artwork/picture.rgb32"));
        if (raw.compressionAlgorithm() == QResource::NoCompression)
            QCOMPARE(shown.constBits(), raw.data());
        else
            QCOMPARE(
                QByteArray(reinterpret_cast<const char *>(shown.constBits()), shown.sizeInBytes()),
                raw.uncompressedData());
        const QImage jpeg =
            QImage(QStringLiteral(":/artwork/picture.jpg")).convertToFormat(shown.format());
        QCOMPARE(jpeg.size(), shown.size());
        qint64 difference = 0;
        for (int y = 0; y < shown.height(); y += 7) {
            for (int x = 0; x < shown.width(); x += 7) {
                const QRgb a = shown.pixel(x, y);
                const QRgb b = jpeg.pixel(x, y);
                difference += qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) +
                              qAbs(qBlue(a) - qBlue(b));
            }
        }
        QVERIFY2(difference / (100 * 100 * 3) < 4, qPrintable(QString::number(difference)));
    }

    // The tile icons and menu images are shown from raw pixels in the executable, as their PNGs
    // would show them.
    void artworkShownAtEveryStartIsItsPng()
    {
        const auto largestDifference = [](const QImage &shown, const QString &png) {
            const QImage decoded = QImage(png).convertToFormat(QImage::Format_ARGB32_Premultiplied);
            const QImage raw = shown.convertToFormat(QImage::Format_ARGB32_Premultiplied);
            if (decoded.size() != raw.size())
                return 256;
            int largest = 0;
            for (int y = 0; y < raw.height(); ++y) {
                for (int x = 0; x < raw.width(); ++x) {
                    const QRgb a = raw.pixel(x, y);
                    const QRgb b = decoded.pixel(x, y);
                    largest =
                        std::max({largest, qAbs(qRed(a) - qRed(b)), qAbs(qGreen(a) - qGreen(b)),
                                  qAbs(qBlue(a) - qBlue(b)), qAbs(qAlpha(a) - qAlpha(b))});
                }
            }
            return largest;
        };
        for (const ModuleRecord &tile : catalogue::tiles()) {
            const QImage shown = form->findChild<QLabel *>(tile.icon)->pixmap().toImage();
            QString raw = tile.artwork;
            raw.replace(QStringLiteral(".png"), QStringLiteral(".argb32"));
            QCOMPARE(shown.constBits(), QResource(raw).data());
            // PNG keeps colours without the alpha applied: a rounding step either way.
            QVERIFY2(largestDifference(shown, tile.artwork) <= 1, qPrintable(tile.artwork));
        }
        QVERIFY(largestDifference(TMainForm::menuImage(0).pixmap(QSize(16, 16)).toImage(),
                                  QStringLiteral(":/menu/file.png")) <= 1);
    }

    // Captions are not sized to their text, but never cut off what the tile could show.
    void tileCaptionsShowTheirWholeText()
    {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        for (const ModuleRecord &tile : catalogue::tiles()) {
            for (const QString &name : {tile.titleLabel, tile.subtitleLabel}) {
                const auto *caption = form->findChild<QLabel *>(name);
                // Text wider than the tile is cut off by the tile in any case.
                const int shown = caption->parentWidget()->width() - caption->x();
                QVERIFY2(caption->width() >= std::min(caption->sizeHint().width(), shown),
                         qPrintable(name));
                QCOMPARE(caption->height(), caption->sizeHint().height());
            }
        }
    }

    void menuShowsImagesOnlyForIndexesOfTheImageList()
    {
        for (int i = 0; i < TMainForm::kMenuImageCount; ++i)
            QVERIFY2(!TMainForm::menuImage(i).isNull(), qPrintable(QString::number(i)));
        QVERIFY(TMainForm::menuImage(-1).isNull());
        QVERIFY(TMainForm::menuImage(TMainForm::kMenuImageCount).isNull());

        QStringList upgradeItems;
        for (QAction *item : form->findChild<QMenu *>(QStringLiteral("Menu_Upgrades"))->actions()) {
            upgradeItems << item->objectName();
            QVERIFY2(item->icon().isNull(), qPrintable(item->objectName()));
        }
        QCOMPARE(upgradeItems,
                 (QStringList{"Menu_UpgradeCorvelLauncher", "Menu_UpgradeCorvelMap",
                              "Menu_UpgradeCorvelEmployee", "Menu_UpgradeCorvelAttendance",
                              "Menu_UpgradeCorvelPayroll", "Menu_UpgradeCorvelOperations",
                              "Menu_UpgradeCorvelTransportation", "Menu_UpgradeCorvelRevenu",
                              "Menu_UpgradeReportsAndForms"}));
        QVERIFY(!action("LookFeel1")->icon().isNull());
        QVERIFY(action("Menu_UsersManagement")->icon().isNull());
    }

    void rolesEnableTilesAndMenus_data()
    {
        QTest::addColumn<QStringList>("roles");
        QTest::addColumn<QStringList>("launchable");
        QTest::addColumn<bool>("admin");

        const QString portal = QStringLiteral("btn_LaunchHRPortal");
        QTest::newRow("no roles") << QStringList() << QStringList{portal} << false;
        QTest::newRow("only Admins") << QStringList{"Admins"} << QStringList{portal} << true;
        QTest::newRow("revenue enables invoicing")
            << QStringList{"Login_CorvelRevenue"} << QStringList{"btn_LaunchCorvelRevenue", portal}
            << false;
        QTest::newRow("invoicing spelling enables nothing")
            << QStringList{"Login_CorvelInvoicing"} << QStringList{portal} << false;
        QStringList all;
        for (const ModuleRecord &module : catalogue::modules())
            all << module.role;
        QTest::newRow("every role") << (all + QStringList{"Admins", "ChangeCorvelDefaults"})
                                    << (kModuleButtons + QStringList{portal}) << true;
    }
    void rolesEnableTilesAndMenus()
    {
        QFETCH(QStringList, roles);
        QFETCH(QStringList, launchable);
        QFETCH(bool, admin);

        grant(QStringLiteral("tester"), roles);
        login(QStringLiteral("tester"), QStringLiteral("pw"));

        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(enabledLaunchButtons(), launchable);
        QCOMPARE(action("Menu_UsersAuthorities")->isEnabled(), admin);
        QCOMPARE(action("Menu_ReportingAssets")->isEnabled(), admin);
        QVERIFY(action("Menu_UsersManagement")->isEnabled());
        QVERIFY(action("Menu_CorvelDefaults")->isEnabled());
        QVERIFY(!action("Login1")->isVisible());
        QVERIFY(action("ChangePassword1")->isEnabled());
        QVERIFY(action("Menu_Upgrades")->isVisible());
    }

    void seededUsersGetTheirRoles()
    {
        login(QStringLiteral("clerk"), QStringLiteral("clerk1"));
        QCOMPARE(enabledLaunchButtons(),
                 (QStringList{"btn_LaunchCorvelEmployee", "btn_LaunchCorvelAttendance",
                              "btn_LaunchHRPortal"}));
        QCOMPARE(dm->Current_UserID, QStringLiteral("clerk"));
    }

    void cancelledLoginChangesNothing()
    {
        login(QString(), QString());
        verifyLoggedOutState();
        QVERIFY(dm->Current_UserID.isEmpty());
    }

    void failingRoleQueryKeepsTheLoggedOutState()
    {
        ws->exec(QStringLiteral("DROP TABLE UsersRoles"));
        login(QStringLiteral("admin"), QStringLiteral("admin1"));

        QCOMPARE(dialogs.boxes().size(), 1);
        QCOMPARE(dialogs.boxes().first().icon, MessageIcon::Error);
        verifyLoggedOutState();
        QCOMPARE(dm->Current_UserID, QStringLiteral("admin"));
    }

    void webCommandsOpenTheirAddresses_data()
    {
        QTest::addColumn<QString>("portal");
        QTest::addColumn<QString>("opened");

        QTest::newRow("plain") << "https://portal.example/x?a=1"
                               << "https://portal.example/x?a=1";
        QTest::newRow("quotes") << R"(https://portal.example/"a"/"b")"
                                << "https://portal.example/%22a%22/%22b%22";
        QTest::newRow("no scheme") << "www.example.com/portal"
                                   << "www.example.com/portal";
    }
    void webCommandsOpenTheirAddresses()
    {
        QFETCH(QString, portal);
        QFETCH(QString, opened);

        // Read at the moment of the click, before anybody logged in.
        dm->CorvelPortal_URL = portal;
        QTest::mouseClick(button(QStringLiteral("btn_LaunchHRPortal")), Qt::LeftButton);
        action("menu_HowTo")->trigger();
        action("Menu_Support")->trigger();
        QTest::mouseClick(form->findChild<QLabel *>(QStringLiteral("Image7")), Qt::LeftButton);

        const QStringList expected{opened, web::kHowTo, web::kSupport, web::kMakerSite};
        QStringList files;
        for (const RecordingShell::Call &call : shell.calls()) {
            files << call.file;
            QVERIFY(call.parameters.isEmpty());
            QVERIFY(!call.ownedByMainWindow);
        }
        QCOMPARE(files, expected);
        QVERIFY(dialogs.boxes().isEmpty());
    }

    void emptyPortalAddressOpensNothingAndSaysSo()
    {
        dm->CorvelPortal_URL.clear();
        QTest::mouseClick(button(QStringLiteral("btn_LaunchHRPortal")), Qt::LeftButton);
        QVERIFY(shell.calls().isEmpty());
        const MessageBoxSpec plain{QStringLiteral("Corvel Launcher"), MessageIcon::None,
                                   QStringLiteral("No portal address is set in Workers.ini")};
        QCOMPARE(dialogs.boxes(), QList<MessageBoxSpec>{plain});
    }

    void menuCommandsOpenTheirDialogs_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("dialogClass");

        QTest::newRow("look and feel") << "LookFeel1"
                                       << "corvel::TStyleForm";
        QTest::newRow("this PC defaults before login") << "Menu_CorvelDefaults"
                                                       << "corvel::TCorvelDefaultsForm";
        QTest::newRow("about") << "Menu_About"
                               << "corvel::TAboutApplicationForm";
    }
    void menuCommandsOpenTheirDialogs()
    {
        QFETCH(QString, item);
        QFETCH(QString, dialogClass);

        QString opened;
        onNextModal([&opened](QDialog *dialog) {
            opened = QString::fromLatin1(dialog->metaObject()->className());
            dialog->reject();
        });
        form->findChild<QAction *>(item)->trigger();
        QCOMPARE(opened, dialogClass);
    }

    void changedPasswordIsReportedOnlyOnOk()
    {
        login(QStringLiteral("admin"), QStringLiteral("admin1"));

        onNextModal([](QDialog *dialog) { dialog->reject(); });
        action("ChangePassword1")->trigger();
        QVERIFY(dialogs.boxes().isEmpty());

        QStringList boxTexts;
        onNextModal([&boxTexts](QDialog *dialog) {
            for (const char *name :
                 {"edt_CurrPassword", "edt_NewPassword", "edt_ConfirmPassword"}) {
                if (auto *edit = dialog->findChild<QLineEdit *>(QLatin1String(name)))
                    boxTexts << edit->text();
            }
            dialog->accept();
        });
        action("ChangePassword1")->trigger();
        QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Password Changed Successfuly !")});
        for (const QString &text : std::as_const(boxTexts))
            QVERIFY(text.isEmpty());
    }

    void launchButtonsStartTheirModuleAndUpgradeItemsTheirFile()
    {
        ws->installExecutable(QStringLiteral("CorvelInvoicing.exe"), QStringLiteral("1.0.0.0"));
        login(QStringLiteral("admin"), QStringLiteral("admin1"));

        QTest::mouseClick(button(QStringLiteral("btn_LaunchCorvelRevenue")), Qt::LeftButton);
        QCOMPARE(dialogs.texts(), QStringList());
        QCOMPARE(shell.calls().size(), 1);
        QCOMPARE(shell.calls().first().file, QStringLiteral("CorvelInvoicing.exe"));
        QCOMPARE(shell.calls().first().parameters, QStringLiteral("admin admin1"));

        dialogs.answerNext(DialogButton::Cancel);
        action("Menu_UpgradeCorvelRevenu")->trigger();
        QCOMPARE(dialogs.texts(),
                 QStringList{QStringLiteral("Choose 'OK' To Upgrade CorvelRevenue")});
    }

    void exitAndLauncherUpgradeEndTheRun()
    {
        form->show();
        action("Menu_Exit")->trigger();
        QVERIFY(!form->isVisible());

        form->show();
        login(QStringLiteral("admin"), QStringLiteral("admin1"));
        action("Menu_UpgradeCorvelLauncher")->trigger();
        QVERIFY(!form->isVisible());
        QCOMPARE(shell.calls().size(), 1);
        QCOMPARE(shell.calls().first().file, QStringLiteral("Reinstaller.exe"));
    }

    void versionOfABareNameIsReadInTheLauncherFolder()
    {
        QCOMPARE(form->GetAppVersionStr(QStringLiteral("CorvelLauncher.exe")),
                 QStringLiteral("1.0.0.0"));
    }
};

CORVEL_TEST(MainFormTest)
#include "MainFormTest.moc"
