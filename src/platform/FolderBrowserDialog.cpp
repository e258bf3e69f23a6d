#include "platform/FolderBrowserDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace corvel {

namespace {

const QString kCaption = QStringLiteral("Browse For Folder");

} // namespace

FolderBrowserDialog::FolderBrowserDialog(const QString &title, const QString &note, QWidget *parent)
    : QDialog(parent), m_model(new QFileSystemModel(this)), m_tree(new QTreeView(this))
{
    setObjectName(QStringLiteral("FolderBrowserDialog"));
    setWindowTitle(kCaption);
    setModal(true);

    auto *titleLabel = new QLabel(title, this);
    titleLabel->setObjectName(QStringLiteral("lbl_Title"));
    titleLabel->setWordWrap(true);
    titleLabel->setBuddy(m_tree);
    auto *noteLabel = new QLabel(note, this);
    noteLabel->setObjectName(QStringLiteral("lbl_Note"));
    noteLabel->setWordWrap(true);
    noteLabel->setVisible(!note.isEmpty());

    m_model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_model->setReadOnly(true);
    // Looking for icons inside folders would read every folder shown.
    m_model->setOption(QFileSystemModel::DontUseCustomDirectoryIcons);
    m_model->setRootPath(QString());
    m_tree->setObjectName(QStringLiteral("tv_Folders"));
    m_tree->setAccessibleName(title.isEmpty() ? kCaption : title);
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("btn_OK"));
    ok->setText(QStringLiteral("OK"));
    ok->setEnabled(false);
    QPushButton *cancel = buttons->button(QDialogButtonBox::Cancel);
    cancel->setObjectName(QStringLiteral("btn_Cancel"));
    cancel->setText(QStringLiteral("Cancel"));
    // No other button of the launcher carries a picture.
    for (QPushButton *button : {ok, cancel})
        button->setIcon(QIcon());
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Only a folder the user chose enables OK: the view makes one current of its own accord when
    // it takes the focus, and Enter would then pick it.
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, ok] { ok->setEnabled(m_tree->selectionModel()->hasSelection()); });
    // The model lists and sorts folders in the background: keep the preselected one in view as
    // its parents fill in, until the user picks another.
    connect(m_model, &QFileSystemModel::directoryLoaded, this,
            &FolderBrowserDialog::revealPreselected, Qt::QueuedConnection);
    connect(m_model, &QFileSystemModel::layoutChanged, this,
            &FolderBrowserDialog::revealPreselected, Qt::QueuedConnection);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addWidget(noteLabel);
    layout->addWidget(m_tree, 1);
    layout->addWidget(buttons);
    resize(420, 460);
    m_tree->setFocus();
    startAt(QDir::homePath());
}

void FolderBrowserDialog::preselect(const QString &folder)
{
    const QModelIndex index = m_model->index(QDir::cleanPath(QDir::fromNativeSeparators(folder)));
    if (!index.isValid())
        return;
    m_preselected = index;
    m_tree->setCurrentIndex(index);
    revealPreselected();
}

void FolderBrowserDialog::startAt(const QString &folder)
{
    const QModelIndex index = m_model->index(folder);
    if (!index.isValid())
        return;
    m_preselected = index;
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

QString FolderBrowserDialog::selectedFolder() const
{
    const QModelIndexList selected = m_tree->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? QString()
                              : withoutTrailingSeparator(m_model->filePath(selected.first()));
}

QString FolderBrowserDialog::withoutTrailingSeparator(const QString &folder)
{
    QString path = QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(folder)));
    const bool root = path == QDir::toNativeSeparators(QDir::rootPath()) ||
                      (path.size() == 3 && path.at(1) == u':');
    if (!root && path.size() > 1 && path.endsWith(QDir::separator()))
        path.chop(1);
    return path;
}

void FolderBrowserDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    QMetaObject::invokeMethod(this, &FolderBrowserDialog::revealPreselected, Qt::QueuedConnection);
}

void FolderBrowserDialog::revealPreselected()
{
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid() || current != m_preselected)
        return;
    for (QModelIndex parent = current.parent(); parent.isValid(); parent = parent.parent())
        m_tree->expand(parent);
    m_tree->scrollTo(current, QAbstractItemView::PositionAtCenter);
}

} // namespace corvel
