#pragma once

#include <QDialog>
#include <QPersistentModelIndex>

class QFileSystemModel;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QTreeView;

namespace corvel {

// The folder picker: a title line and a note above a tree of the file system's folders, with OK
// and Cancel. Files are not shown and no folder can be created from it. A path box above the tree
// goes to a typed folder, which is how a share (\\server\share), absent from the tree until
// then, is reached.
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
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The path box with its label and Go button, the box before the tree in the tab order.
    QHBoxLayout *pathRow();
    // Selects the folder typed in the path box, or says that there is none.
    void goToTypedFolder();
    void showPathProblem(const QString &text);
    // Shows `folder` as the current one without selecting it.
    void startAt(const QString &folder);
    void revealPreselected();

    QFileSystemModel *m_model;
    QTreeView *m_tree;
    QLineEdit *m_pathBox;
    QLabel *m_pathProblem;
    QPersistentModelIndex m_preselected;
};

} // namespace corvel
