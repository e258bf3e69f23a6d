#pragma once

#include <QList>
#include <QString>

namespace corvel {

inline const QString kApplicationTitle = QStringLiteral("Corvel Launcher");

enum class MessageIcon
{
    None,
    Information,
    Warning,
    Error,
    Question
};
enum class DialogButton
{
    None,
    Ok,
    Cancel,
    Close
};

struct MessageBoxSpec
{
    QString caption;
    MessageIcon icon = MessageIcon::None;
    QString text;
    QList<DialogButton> buttons{DialogButton::Ok};
    DialogButton defaultButton = DialogButton::Ok;

    bool operator==(const MessageBoxSpec &) const = default;
};

// Every message box and picker the launcher shows goes through here, so tests can answer them
// in advance and assert on exactly what a user would have seen.
class DialogService
{
public:
    virtual ~DialogService() = default;

    // Shows a modal box and returns the button that closed it.
    virtual DialogButton showMessage(const MessageBoxSpec &box) = 0;
    // Returns the chosen file's full path, or empty text when the user cancelled.
    virtual QString chooseFile(const QString &filterName, const QString &mask) = 0;
    // Returns the chosen folder's full path (no trailing separator), or empty text on cancel.
    // `note` is the second line shown under the title; `selected` the folder to preselect.
    virtual QString chooseFolder(const QString &title, const QString &note,
                                 const QString &selected) = 0;

    // A plain message box: the application title as caption, no icon, one OK button.
    void showPlain(const QString &text);
    // A confirmation box: caption "Confirm", question icon, OK (default) and Cancel.
    bool confirm(const QString &text);
};

} // namespace corvel
