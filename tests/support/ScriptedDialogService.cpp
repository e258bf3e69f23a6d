#include "ScriptedDialogService.h"

namespace corvel::test {

DialogButton ScriptedDialogService::showMessage(const MessageBoxSpec &box)
{
    m_boxes.append(box);
    if (!m_actions.isEmpty())
        m_actions.dequeue()(box);
    if (!m_answers.isEmpty())
        return m_answers.dequeue();
    if (box.buttons.size() > 1) {
        ++m_unexpected;
        return DialogButton::Cancel;
    }
    return box.buttons.isEmpty() ? DialogButton::Ok : box.buttons.first();
}

QString ScriptedDialogService::chooseFile(const QString &filterName, const QString &mask)
{
    m_fileRequests.append({filterName, mask});
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}

QString ScriptedDialogService::chooseFolder(const QString &title, const QString &note,
                                            const QString &selected)
{
    m_folderRequests.append({title, note, selected});
    return m_folders.isEmpty() ? QString() : m_folders.dequeue();
}

QStringList ScriptedDialogService::texts() const
{
    QStringList all;
    for (const MessageBoxSpec &box : m_boxes)
        all << box.text;
    return all;
}

} // namespace corvel::test
