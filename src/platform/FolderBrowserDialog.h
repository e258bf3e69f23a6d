#pragma once

#include <QDialog>
#include <QPersistentModelIndex>

class QFileSystemModel;
class QTreeView;

namespace corvel {

// The folder picker: a title line and a note above a tree of the file system's folders, with OK
// and Cancel. Files are not shown and no folder can be created from it.
class FolderBrowserDialog : public QDialog
{
    Q_OBJECT

public:
    FolderBrowserDialog(const QString &title, const QString &note, QWidget *parent = nullptr);

    // Selects `folder` in the tree, expanding and scrolling to it once its parents are loaded.
    // Without one, the tree opens at the home folder with nothing selected.
    void preselect(const QString &folder);
    // The selected folder's full path without a trailing separator; empty when none.
    QString selectedFolder() const;

    // A folder path as the picker returns it: native separators, no trailing separator except
    // for a root.
    static QString withoutTrailingSeparator(const QString &folder);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Shows `folder` as the current one without selecting it.
    void startAt(const QString &folder);
    void revealPreselected();

    QFileSystemModel *m_model;
    QTreeView *m_tree;
    QPersistentModelIndex m_preselected;
};

} // namespace corvel
