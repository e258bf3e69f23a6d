#include "platform/FolderBrowserDialog.h"

#include <QAccessible>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace corvel {

namespace {

const QString kCaption = QStringLiteral("Browse For Folder");
const QString kNoSuchFolder =
    QStringLiteral("Cannot find the folder \"%1\". Check the name and try again.");

} // namespace

FolderBrowserDialog::FolderBrowserDialog(const QString &title, const QString &note, QWidget *parent)
    : QDialog(parent), m_model(new QFileSystemModel(this)), m_tree(new QTreeView(this)),
      m_pathBox(new QLineEdit(this)), m_pathProblem(new QLabel(this))
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
    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, ok] {
        const QString folder = selectedFolder();
        ok->setEnabled(!folder.isEmpty());
        // The box shows where the user is, but never takes text from under their typing.
        if (!folder.isEmpty() && !m_pathBox->hasFocus())
            m_pathBox->setText(folder);
    });
    // The model lists and sorts folders in the background: keep the preselected one in view as
    // its parents fill in, until the user picks another.
    connect(m_model, &QFileSystemModel::directoryLoaded, this,
            &FolderBrowserDialog::revealPreselected, Qt::QueuedConnection);
    connect(m_model, &QFileSystemModel::layoutChanged, this,
            &FolderBrowserDialog::revealPreselected, Qt::QueuedConnection);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addWidget(noteLabel);
    layout->addLayout(pathRow());
    layout->addWidget(m_pathProblem);
    layout->addWidget(m_tree, 1);
    layout->addWidget(buttons);
    resize(420, 460);
    m_tree->setFocus();
    startAt(QDir::homePath());
}

QHBoxLayout *FolderBrowserDialog::pathRow()
{
    auto *pathLabel = new QLabel(QStringLiteral("&Folder:"), this);
    pathLabel->setObjectName(QStringLiteral("lbl_Path"));
    pathLabel->setBuddy(m_pathBox);
    m_pathBox->setObjectName(QStringLiteral("edt_Path"));
    m_pathBox->setAccessibleName(QStringLiteral("Folder"));
    m_pathBox->setPlaceholderText(QStringLiteral("Type a folder or a share and press Enter"));
    m_pathBox->installEventFilter(this);
    auto *go = new QPushButton(QStringLiteral("&Go"), this);
    go->setObjectName(QStringLiteral("btn_Go"));
    go->setAutoDefault(false);
    connect(go, &QPushButton::clicked, this, &FolderBrowserDialog::goToTypedFolder);
    m_pathProblem->setObjectName(QStringLiteral("lbl_PathProblem"));
    m_pathProblem->setWordWrap(true);
    m_pathProblem->hide();
    connect(m_pathBox, &QLineEdit::textEdited, m_pathProblem, &QLabel::hide);
    setTabOrder(m_pathBox, go);
    setTabOrder(go, m_tree);

    auto *row = new QHBoxLayout;
    row->addWidget(pathLabel);
    row->addWidget(m_pathBox, 1);
    row->addWidget(go);
    return row;
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

void FolderBrowserDialog::goToTypedFolder()
{
    const QString typed = m_pathBox->text().trimmed();
    if (typed.isEmpty())
        return;
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(typed));
    // The tree lists absolute folders only; a share enters it once its path is asked for.
    const QModelIndex index = QDir::isAbsolutePath(path) && QFileInfo(path).isDir()
                                  ? m_model->index(path)
                                  : QModelIndex();
    if (!index.isValid()) {
        showPathProblem(kNoSuchFolder.arg(typed));
        return;
    }
    m_pathProblem->hide();
    m_preselected = index;
    m_tree->setCurrentIndex(index);
    revealPreselected();
    m_tree->setFocus();
}

void FolderBrowserDialog::showPathProblem(const QString &text)
{
    m_pathProblem->setText(text);
    m_pathProblem->show();
    QAccessibleEvent alert(m_pathProblem, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    m_pathBox->setFocus();
    m_pathBox->selectAll();
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

bool FolderBrowserDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter in the path box goes to the folder; it must not press OK for the old selection.
    if (watched == m_pathBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            goToTypedFolder();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
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
