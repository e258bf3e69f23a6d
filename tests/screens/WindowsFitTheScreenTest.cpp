#include "RecordingShell.h"
#include "ScriptedDialogService.h"
#include "TestRegistry.h"
#include "Workstation.h"

#include "admin/AssignRolesForm.h"
#include "admin/ChangePasswordForm.h"
#include "admin/ReportingAssetsManagementForm.h"
#include "admin/UsersDetailsForm.h"
#include "admin/UsersMgtForm.h"
#include "app/DataModule1.h"
#include "launcher/MainForm.h"
#include "login/LoginForm.h"
#include "platform/FolderBrowserDialog.h"
#include "prefs/AboutApplicationForm.h"
#include "prefs/CorvelDefaultsForm.h"
#include "prefs/StyleForm.h"

#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace corvel;
using namespace corvel::test;

namespace {

struct Session
{
    Session()
    {
        workstation.useSeededDatabase();
        dataModule = std::make_unique<TDataModule1>(workstation.launcherPath());
        dataModule->DataModuleCreate();
        dataModule->Current_UserID = QStringLiteral("admin");
        dataModule->Current_Password = QStringLiteral("admin1");
    }
    Services services() { return {dialogs, shell}; }

    Workstation workstation;
    ScriptedDialogService dialogs;
    RecordingShell shell;
    std::unique_ptr<TDataModule1> dataModule;
};

using DialogFactory = std::function<std::unique_ptr<QDialog>(Session &, QWidget *parent)>;

template <typename Dialog> DialogFactory windowOf()
{
    return [](Session &s, QWidget *parent) -> std::unique_ptr<QDialog> {
        return std::make_unique<Dialog>(*s.dataModule, s.services(), parent);
    };
}

QString describe(const QRect &rect)
{
    return QStringLiteral("%1,%2 %3x%4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height());
}

// The window's frame, title bar included, lies within the screen less its taskbars.
void verifyOnScreen(const QWidget &window)
{
    const QRect available = window.screen()->availableGeometry();
    QVERIFY2(available.contains(window.frameGeometry()),
             qPrintable(window.objectName() + u' ' + describe(window.frameGeometry()) +
                        QStringLiteral(" outside ") + describe(available)));
}

// Every named control can be brought into the window's view: scrolled to where the window
// scrolls, or else within the window as it stands.
void verifyControlsReachable(QWidget &window)
{
    const QList<QWidget *> controls = window.findChildren<QWidget *>();
    for (QWidget *control : controls) {
        if (control->objectName().isEmpty() || !control->isVisibleTo(&window) ||
            control->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QRect visible = window.rect();
        QWidget *scroller = control->parentWidget();
        while (scroller != &window && qobject_cast<QScrollArea *>(scroller) == nullptr)
            scroller = scroller->parentWidget();
        if (auto *area = qobject_cast<QScrollArea *>(scroller);
            area != nullptr && area->widget()->isAncestorOf(control)) {
            area->ensureWidgetVisible(control, 0, 0);
            QWidget *viewport = area->viewport();
            visible &= QRect(viewport->mapTo(&window, QPoint()), viewport->size());
            // What is larger than the view is reachable when every part of it can be scrolled to.
            if (control->width() > viewport->width() || control->height() > viewport->height()) {
                const QRect inContent(control->mapTo(area->widget(), QPoint()), control->size());
                QVERIFY2(inContent.right() - area->horizontalScrollBar()->maximum() <
                                 viewport->width() &&
                             inContent.bottom() - area->verticalScrollBar()->maximum() <
                                 viewport->height(),
                         qPrintable(control->objectName()));
                continue;
            }
        }
        const QRect placed(control->mapTo(&window, QPoint()), control->size());
        QVERIFY2(visible.contains(placed),
                 qPrintable(control->objectName() + u' ' + describe(placed) +
                            QStringLiteral(" in ") + describe(visible)));
    }
}

} // namespace

// Run once on each screen of tests/screens/*.json.
class WindowsFitTheScreenTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Session> session;
    std::unique_ptr<TMainForm> form;

    void showMainWindow()
    {
        form = std::make_unique<TMainForm>(*session->dataModule, session->services());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

private slots:
    void init()
    {
        TLoginForm::resetAttemptCounter();
        session = std::make_unique<Session>();
    }
    void cleanup()
    {
        form.reset();
        session.reset();
    }

    void mainWindowStaysOnTheScreenWithEveryControlReachable_data()
    {
        QTest::addColumn<bool>("loggedIn");
        QTest::newRow("logged out") << false;
        QTest::newRow("logged in") << true;
    }
    void mainWindowStaysOnTheScreenWithEveryControlReachable()
    {
        QFETCH(bool, loggedIn);
        showMainWindow();
        if (loggedIn)
            form->CheckAuthorities();
        QTest::qWait(0);
        verifyOnScreen(*form);
        verifyControlsReachable(*form);
    }

    // Where the screen holds it, the client area is shown whole, at its own size.
    void mainWindowKeepsItsClientAreaWhereTheScreenHoldsIt()
    {
        showMainWindow();
        auto *area = qobject_cast<QScrollArea *>(form->centralWidget());
        QCOMPARE(area->widget()->size(), QSize(1152, 708));
        const QSize room = form->screen()->availableGeometry().size() -
                           (form->frameGeometry().size() - form->size());
        const bool holds =
            room.width() >= 1152 && room.height() >= 708 + form->menuWidget()->height();
        QCOMPARE(area->viewport()->size() == QSize(1152, 708), holds);
        if (holds)
            QVERIFY(!area->horizontalScrollBar()->isVisible() &&
                    !area->verticalScrollBar()->isVisible());
    }

    void dialogsStayOnTheScreenWithEveryControlReachable_data()
    {
        QTest::addColumn<DialogFactory>("open");
        QTest::newRow("login") << windowOf<TLoginForm>();
        QTest::newRow("change password") << windowOf<TChangePasswordForm>();
        QTest::newRow("users") << windowOf<TUsersMgtForm>();
        QTest::newRow("user details")
            << DialogFactory([](Session &s, QWidget *parent) -> std::unique_ptr<QDialog> {
                   return std::make_unique<TUsersDetailsForm>(s.services(), parent);
               });
        QTest::newRow("roles") << windowOf<TAssignRolesForm>();
        QTest::newRow("reporting assets") << windowOf<TReportingAssetsManagementForm>();
        QTest::newRow("this PC defaults") << windowOf<TCorvelDefaultsForm>();
        QTest::newRow("look and feel") << windowOf<TStyleForm>();
        QTest::newRow("about") << windowOf<TAboutApplicationForm>();
        QTest::newRow("folder browser")
            << DialogFactory([](Session &, QWidget *parent) -> std::unique_ptr<QDialog> {
                   return std::make_unique<FolderBrowserDialog>(QStringLiteral("Select Folder"),
                                                                QString(), parent);
               });
    }
    void dialogsStayOnTheScreenWithEveryControlReachable()
    {
        QFETCH(DialogFactory, open);
        showMainWindow();
        std::unique_ptr<QDialog> dialog = open(*session, form.get());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        verifyOnScreen(*dialog);
        verifyControlsReachable(*dialog);
    }
};

CORVEL_TEST(WindowsFitTheScreenTest)
#include "WindowsFitTheScreenTest.moc"
