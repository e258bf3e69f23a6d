#include "app/StyleRegistry.h"

#include "app/StylePalettes.h"
#include "app/StyleSheetTemplate.h"
#include "platform/DialogService.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>

namespace corvel {

namespace {

const QString kNotFoundCaption = QStringLiteral("Error");
const QString kNotFoundText = QStringLiteral("Style '%1' not found");

// The look the application started with, taken before any compiled-in style replaces it.
struct PlainLook
{
    QString styleName;
    QPalette palette;
};

const QString kFusion = QStringLiteral("Fusion");

const PlainLook &plainLook()
{
    static const PlainLook look{
        QApplication::style()->name().isEmpty() ? kFusion : QApplication::style()->name(),
        QApplication::palette()};
    return look;
}

QString &activeName()
{
    static QString name = StyleRegistry::kPlainStyle;
    return name;
}

void applyPlainLook()
{
    const PlainLook &look = plainLook();
    qApp->setStyleSheet(QString());
    QApplication::setStyle(look.styleName);
    QApplication::setPalette(look.palette);
}

void applyCompiledIn(const StylePalette &row)
{
    plainLook(); // remembered before the first compiled-in style replaces it
    // The old sheet goes first so the new style is not polished against it.
    qApp->setStyleSheet(QString());
    QApplication::setStyle(QStyleFactory::create(kFusion));
    QApplication::setPalette(StyleSheetTemplate::palette(row));
    qApp->setStyleSheet(StyleSheetTemplate::styleSheet(row));
}

} // namespace

QStringList StyleRegistry::styleNames()
{
    QStringList names{kPlainStyle};
    for (const StylePalette &row : compiledInPalettes())
        names << QString::fromLatin1(row.name);
    return names;
}

bool StyleRegistry::applyStyle(const QString &name, bool reportFailure, DialogService &dialogs)
{
    if (name.compare(kPlainStyle, Qt::CaseInsensitive) == 0) {
        applyPlainLook();
        activeName() = kPlainStyle;
        return true;
    }
    for (const StylePalette &row : compiledInPalettes()) {
        const QString rowName = QString::fromLatin1(row.name);
        if (name.compare(rowName, Qt::CaseInsensitive) == 0) {
            applyCompiledIn(row);
            activeName() = rowName;
            return true;
        }
    }
    if (reportFailure)
        dialogs.showMessage({kNotFoundCaption,
                             MessageIcon::Error,
                             kNotFoundText.arg(name),
                             {DialogButton::Close},
                             DialogButton::Close});
    return false;
}

QString StyleRegistry::activeStyle()
{
    return activeName();
}

} // namespace corvel
