#pragma once

#include "platform/DialogService.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <functional>

namespace corvel::test {

// Records every box and picker the code under test shows and answers from queues set up in
// advance. A box with a choice (more than one button) and no queued answer is an unexpected box:
// it is answered with Cancel and counted in unexpected().
class ScriptedDialogService : public DialogService
{
public:
    DialogButton showMessage(const MessageBoxSpec &box) override;
    QString chooseFile(const QString &filterName, const QString &mask) override;
    QString chooseFolder(const QString &title, const QString &note,
                         const QString &selected) override;

    void answerNext(DialogButton button) { m_answers.enqueue(button); }
    void chooseFileNext(const QString &path) { m_files.enqueue(path); }
    void chooseFolderNext(const QString &path) { m_folders.enqueue(path); }
    // Runs while the next box is "shown", before it is answered (for nested interaction).
    void onNextMessage(std::function<void(const MessageBoxSpec &)> action)
    {
        m_actions.enqueue(std::move(action));
    }

    const QList<MessageBoxSpec> &boxes() const { return m_boxes; }
    QStringList texts() const;
    QString lastText() const { return m_boxes.isEmpty() ? QString() : m_boxes.last().text; }
    void clear()
    {
        m_boxes.clear();
        m_fileRequests.clear();
        m_folderRequests.clear();
    }
    int unexpected() const { return m_unexpected; }

    struct FileRequest
    {
        QString filterName;
        QString mask;
    };
    struct FolderRequest
    {
        QString title;
        QString note;
        QString selected;
    };
    const QList<FileRequest> &fileRequests() const { return m_fileRequests; }
    const QList<FolderRequest> &folderRequests() const { return m_folderRequests; }

private:
    QList<MessageBoxSpec> m_boxes;
    QQueue<DialogButton> m_answers;
    QQueue<QString> m_files;
    QQueue<QString> m_folders;
    QQueue<std::function<void(const MessageBoxSpec &)>> m_actions;
    QList<FileRequest> m_fileRequests;
    QList<FolderRequest> m_folderRequests;
    int m_unexpected = 0;
};

} // namespace corvel::test
