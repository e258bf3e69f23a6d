// Stands in for a suite module: shows the user id it was given and, when CORVEL_STUB_RECORD_ARGS
// is set (tests, the demo), records the arguments it was started with beside itself
// ("<name>.args", a JSON array, readable by its owner only: it holds the password).
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>

#include <memory>

namespace {

void recordArguments(const QFileInfo &self, const QStringList &arguments)
{
    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile record(self.absolutePath() + QStringLiteral("/") + self.completeBaseName() +
                 QStringLiteral(".args"));
    // A record left by an earlier start may be readable by others: close it up before writing.
    if (record.exists() && !record.setPermissions(ownerOnly))
        return;
    if (record.open(QIODevice::WriteOnly | QIODevice::Truncate, ownerOnly))
        record.write(QJsonDocument(QJsonArray::fromStringList(arguments)).toJson());
}

} // namespace

int main(int argc, char *argv[])
{
    // Without a window the stub must also run where no display is available (tests).
    const bool windowless = qEnvironmentVariableIsSet("CORVEL_STUB_NO_WINDOW");
    const std::unique_ptr<QCoreApplication> app(windowless ? new QCoreApplication(argc, argv)
                                                           : new QApplication(argc, argv));
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    const QFileInfo self(QCoreApplication::applicationFilePath());
    if (qEnvironmentVariableIsSet("CORVEL_STUB_RECORD_ARGS"))
        recordArguments(self, arguments);
    if (windowless)
        return 0;

    const QString user = arguments.value(0);
    QLabel window(
        QStringLiteral("%1\n\nStarted for user: %2")
            .arg(self.completeBaseName(), user.isEmpty() ? QStringLiteral("(none)") : user));
    window.setWindowTitle(self.completeBaseName());
    window.setAlignment(Qt::AlignCenter);
    window.setMargin(24);
    window.setAccessibleName(QStringLiteral("Module"));
    window.resize(360, 140);
    window.show();
    return app->exec();
}
