#include "admin/AssignRolesForm.h"

#include "admin/AdminText.h"
#include "app/DataModule1.h"
#include "app/TopLevelErrorHandler.h"
#include "data/SnapshotTableModel.h"
#include "platform/DialogService.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvel {

const QString TAssignRolesForm::kUsersSql =
    QStringLiteral("Select UserName, User_FullName, User_Department \r\n"
                   "From Users\r\n"
                   "Where isActive = 1\r\n"
                   "Order By UserName");
const QString TAssignRolesForm::kAllRolesSql = QStringLiteral("Select * From Roles\r\n"
                                                              "Order By RoleName");
const QString TAssignRolesForm::kUsersRolesSql = QStringLiteral("Select * from UsersRoles\r\n"
                                                                "Where UserName = :UserName\r\n"
                                                                "Order By RoleName");
const QString TAssignRolesForm::kModulesSql = QStringLiteral("Select Distinct(Module) As Module\r\n"
                                                             "From Roles\r\n"
                                                             "Order By Module");
const QString TAssignRolesForm::kScreensSql = QStringLiteral("Select Distinct(Screen) As Screen\r\n"
                                                             "From Roles\r\n"
                                                             "Where Module = :Module\r\n"
                                                             "Order By Screen");
const QString TAssignRolesForm::kRolesForTreeSql = QStringLiteral("Select RoleName, RoleDesc\r\n"
                                                                  "From Roles\r\n"
                                                                  "Where Module = :Module\r\n"
                                                                  "And Screen = :Screen\r\n"
                                                                  "Order By RoleName");
const QString TAssignRolesForm::kAddRoleSql = QStringLiteral("Insert Into UsersRoles\r\n"
                                                             "(UserName, RoleName)\r\n"
                                                             "Values\r\n"
                                                             "(:UserName, :RoleName)");
const QString TAssignRolesForm::kRemoveRoleSql = QStringLiteral("Delete From UsersRoles\r\n"
                                                                "Where Rec_ID = :Rec_ID");

namespace {

const QString kCaption = QStringLiteral("Assign Roles Form");
const QString kChooseUser = QStringLiteral("Choose User");
const QString kTreeRoot = QStringLiteral("Roles");
const QString kSelectRole = QStringLiteral("Select a Role");
const QString kUserFirst = QStringLiteral("Please Selecte a User First!");
const QString kRoleFirst = QStringLiteral("Please Choose a Role First");
const QString kFailed = QStringLiteral("Something Went Wrong!\n\r");

// Root, module, screen: anything deeper is a role.
constexpr int kRoleDepth = 3;
constexpr int kTreeRowHeight = 18;

int depthOf(const QTreeWidgetItem *node)
{
    int depth = 0;
    for (const QTreeWidgetItem *parent = node->parent(); parent != nullptr;
         parent = parent->parent())
        ++depth;
    return depth;
}

} // namespace

TAssignRolesForm::TAssignRolesForm(TDataModule1 &dataModule, const Services &services,
                                   QWidget *parent)
    : QDialog(parent), m_dataModule(dataModule), m_services(services),
      UsersQ(dataModule.ADOConnection1, kUsersSql),
      AllRolesQ(dataModule.ADOConnection1, kAllRolesSql),
      UsersRolesQ(dataModule.ADOConnection1, kUsersRolesSql),
      ModulesQ(dataModule.ADOConnection1, kModulesSql),
      ScreensQ(dataModule.ADOConnection1, kScreensSql),
      RolesForTreeQ(dataModule.ADOConnection1, kRolesForTreeSql),
      comm_AddRole(dataModule.ADOConnection1, kAddRoleSql),
      comm_RemoveRole(dataModule.ADOConnection1, kRemoveRoleSql)
{
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    setFixedSize(949, 505);
}

TAssignRolesForm::~TAssignRolesForm() = default;

void TAssignRolesForm::buildControls()
{
    auto *top = new QFrame(this);
    top->setObjectName(QStringLiteral("Panel1"));
    top->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto *topLayout = new QGridLayout(top);
    topLayout->setVerticalSpacing(2);
    topLayout->setHorizontalSpacing(16);
    const auto addLabelled = [&](int column, const QString &caption, QWidget *box, int width) {
        auto *label = new QLabel(caption, top);
        label->setBuddy(box);
        box->setAccessibleName(caption);
        box->setFixedWidth(width);
        topLayout->addWidget(label, 0, column);
        topLayout->addWidget(box, 1, column);
    };
    cb_Users = new QComboBox(top);
    cb_Users->setObjectName(QStringLiteral("cb_Users"));
    cb_Users->setEditable(false);
    // Measuring thousands of user ids for a box of fixed width would only slow the opening.
    cb_Users->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    addLabelled(0, QStringLiteral("User ID"), cb_Users, 273);
    edt_Full_Name = new QLineEdit(top);
    edt_Full_Name->setObjectName(QStringLiteral("edt_Full_Name"));
    edt_Full_Name->setReadOnly(true);
    addLabelled(1, QStringLiteral("User Full Name"), edt_Full_Name, 202);
    edt_Department = new QLineEdit(top);
    edt_Department->setObjectName(QStringLiteral("edt_Department"));
    edt_Department->setReadOnly(true);
    addLabelled(2, QStringLiteral("Department"), edt_Department, 202);
    Button1 = new QPushButton(QStringLiteral("Close"), top);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    topLayout->setColumnStretch(3, 1);
    topLayout->addWidget(Button1, 1, 4);

    TreeView1 = new QTreeWidget(this);
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setAccessibleName(QStringLiteral("Roles"));
    TreeView1->setHeaderHidden(true);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    TreeView1->setAllColumnsShowFocus(true);
    TreeView1->setIndentation(19);
    TreeView1->setUniformRowHeights(true);
    TreeView1->setFixedSize(551, 366);

    const auto addButton = [this](const QString &text, const char *name) {
        auto *button = new QPushButton(text, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        return button;
    };
    btn_Add = addButton(QStringLiteral("Add Role"), "btn_Add");
    btn_RemoveOneRole = addButton(QStringLiteral("Remove Role"), "btn_RemoveOneRole");
    btn_RemoveAllRoles = addButton(QStringLiteral("Remove All"), "btn_RemoveAllRoles");
    auto *buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btn_Add);
    buttons->addWidget(btn_RemoveOneRole);
    buttons->addWidget(btn_RemoveAllRoles);
    buttons->addStretch();

    m_grantsModel = new SnapshotTableModel(
        UsersRolesQ, {{QStringLiteral("RoleName"), QStringLiteral("Role ID")}}, this);
    DBGrid3 = new QTableView(this);
    DBGrid3->setObjectName(QStringLiteral("DBGrid3"));
    DBGrid3->setAccessibleName(QStringLiteral("Role ID"));
    DBGrid3->setModel(m_grantsModel);
    DBGrid3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid3->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid3->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid3->setTabKeyNavigation(false);
    DBGrid3->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid3->verticalHeader()->setDefaultSectionSize(DBGrid3->fontMetrics().height() + 6);
    DBGrid3->verticalHeader()->hide();
    DBGrid3->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid3->horizontalHeader()->setHighlightSections(false);
    // The one column fills the grid, leaving no dead band beside it.
    DBGrid3->horizontalHeader()->setStretchLastSection(true);
    DBGrid3->setColumnWidth(0, 228);
    DBGrid3->setFixedSize(262, 366);
    // The "always visible" selection: an inactive grid paints it as an active one.
    QPalette palette = DBGrid3->palette();
    palette.setBrush(QPalette::Inactive, QPalette::Highlight,
                     palette.brush(QPalette::Active, QPalette::Highlight));
    palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                     palette.brush(QPalette::Active, QPalette::HighlightedText));
    DBGrid3->setPalette(palette);

    auto *middle = new QHBoxLayout;
    middle->addWidget(TreeView1);
    middle->addLayout(buttons, 1);
    middle->addWidget(DBGrid3);

    auto *bottom = new QFrame(this);
    bottom->setObjectName(QStringLiteral("Panel3"));
    bottom->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    lbl_RoleAndDesc = new QLabel(kSelectRole, bottom);
    lbl_RoleAndDesc->setObjectName(QStringLiteral("lbl_RoleAndDesc"));
    lbl_RoleAndDesc->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->addWidget(lbl_RoleAndDesc);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(top);
    layout->addLayout(middle, 1);
    layout->addWidget(bottom);

    setTabOrder(cb_Users, edt_Full_Name);
    setTabOrder(edt_Full_Name, edt_Department);
    setTabOrder(edt_Department, Button1);
    setTabOrder(Button1, TreeView1);
    setTabOrder(TreeView1, btn_Add);
    setTabOrder(btn_Add, btn_RemoveOneRole);
    setTabOrder(btn_RemoveOneRole, btn_RemoveAllRoles);
    setTabOrder(btn_RemoveAllRoles, DBGrid3);

    // Only a pick by the administrator counts as choosing a user, not a selection made here.
    connect(cb_Users, &QComboBox::activated, this,
            [this] { TopLevelErrorHandler::guard(m_services.dialogs, [&] { cb_UsersChange(); }); });
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        TopLevelErrorHandler::guard(m_services.dialogs, [&] { TreeView1Change(current); });
    });
    connect(DBGrid3->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid())
                    UsersRolesQ.setCurrentRow(current.row());
            });
    connect(Button1, &QPushButton::clicked, this, &QDialog::close);
    connect(btn_Add, &QPushButton::clicked, this, &TAssignRolesForm::btn_AddClick);
    connect(btn_RemoveOneRole, &QPushButton::clicked, this,
            &TAssignRolesForm::btn_RemoveOneRoleClick);
    connect(btn_RemoveAllRoles, &QPushButton::clicked, this,
            &TAssignRolesForm::btn_RemoveAllRolesClick);
}

void TAssignRolesForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        TopLevelErrorHandler::guard(m_services.dialogs, [&] { FormActivate(); });
}

void TAssignRolesForm::FormActivate()
{
    cb_Users->clear();
    QStringList entries{kChooseUser};
    UsersQ.close();
    UsersQ.open();
    const int userName = UsersQ.columnIndex(QStringLiteral("UserName"));
    entries.reserve(UsersQ.rowCount() + 1);
    for (int row = 0; row < UsersQ.rowCount(); ++row)
        entries << UsersQ.valueAt(row, userName).toString();
    cb_Users->addItems(entries);
    cb_Users->setCurrentIndex(0);
    FillModules();
    AllRolesQ.close();
    AllRolesQ.open();
}

void TAssignRolesForm::FillModules()
{
    TreeView1->clear();
    // Built apart and inserted once, so the view takes in thousands of roles in one go.
    auto *root = new QTreeWidgetItem(QStringList{kTreeRoot});
    // With uniform row heights every row takes the first row's height.
    root->setSizeHint(0, QSize(0, kTreeRowHeight));
    ModulesQ.close();
    ModulesQ.open();
    for (ModulesQ.first(); !ModulesQ.eof(); ModulesQ.next())
        FillScreens(
            new QTreeWidgetItem(root, QStringList{ModulesQ.text(QStringLiteral("Module"))}));
    TreeView1->addTopLevelItem(root);
}

void TAssignRolesForm::FillScreens(QTreeWidgetItem *moduleNode)
{
    ScreensQ.close();
    ScreensQ.setParameter(QStringLiteral("Module"), ModulesQ.text(QStringLiteral("Module")));
    ScreensQ.open();
    for (ScreensQ.first(); !ScreensQ.eof(); ScreensQ.next()) {
        FillRoles(
            new QTreeWidgetItem(moduleNode, QStringList{ScreensQ.text(QStringLiteral("Screen"))}));
    }
}

void TAssignRolesForm::FillRoles(QTreeWidgetItem *screenNode)
{
    RolesForTreeQ.close();
    RolesForTreeQ.setParameter(QStringLiteral("Module"), ModulesQ.text(QStringLiteral("Module")));
    RolesForTreeQ.setParameter(QStringLiteral("Screen"), ScreensQ.text(QStringLiteral("Screen")));
    RolesForTreeQ.open();
    for (RolesForTreeQ.first(); !RolesForTreeQ.eof(); RolesForTreeQ.next()) {
        new QTreeWidgetItem(screenNode,
                            QStringList{RolesForTreeQ.text(QStringLiteral("RoleName"))});
    }
}

void TAssignRolesForm::cb_UsersChange()
{
    const QString userName = cb_Users->currentText();
    if (UsersQ.locate(QStringLiteral("UserName"), userName)) {
        edt_Full_Name->setText(UsersQ.text(QStringLiteral("User_FullName")));
        edt_Department->setText(UsersQ.text(QStringLiteral("User_Department")));
    } else {
        edt_Full_Name->clear();
        edt_Department->clear();
    }
    UsersRolesQ.close();
    UsersRolesQ.setParameter(QStringLiteral("UserName"), userName);
    reloadGrants();
}

void TAssignRolesForm::TreeView1Change(QTreeWidgetItem *node)
{
    if (node != nullptr && AllRolesQ.isOpen() &&
        AllRolesQ.locate(QStringLiteral("RoleName"), node->text(0))) {
        lbl_RoleAndDesc->setText(AllRolesQ.text(QStringLiteral("RoleName")) + QStringLiteral(", ") +
                                 AllRolesQ.text(QStringLiteral("RoleDesc")));
    } else {
        lbl_RoleAndDesc->setText(kSelectRole);
    }
}

void TAssignRolesForm::btn_AddClick()
{
    TopLevelErrorHandler::guard(m_services.dialogs, [&] {
        if (cb_Users->currentIndex() <= 0) {
            m_services.dialogs.showPlain(kUserFirst);
            return;
        }
        const QTreeWidgetItem *node = TreeView1->currentItem();
        if (node == nullptr || depthOf(node) < kRoleDepth) {
            m_services.dialogs.showPlain(kRoleFirst);
            return;
        }
        QString roleName;
        applyChange(
            [&] {
                roleName = AllRolesQ.text(QStringLiteral("RoleName"));
                comm_AddRole.setParameter(QStringLiteral("UserName"),
                                          UsersQ.text(QStringLiteral("UserName")));
                comm_AddRole.setParameter(QStringLiteral("RoleName"), roleName);
                comm_AddRole.execute();
            },
            [&] {
                reloadGrants();
                if (UsersRolesQ.locate(QStringLiteral("RoleName"), roleName))
                    selectGrant(UsersRolesQ.currentRow());
            });
    });
}

void TAssignRolesForm::btn_RemoveOneRoleClick()
{
    TopLevelErrorHandler::guard(m_services.dialogs, [&] {
        if (!UsersRolesQ.isOpen() || UsersRolesQ.isEmpty())
            return;
        const qint64 recId = UsersRolesQ.int64(QStringLiteral("Rec_ID"));
        applyChange(
            [&] {
                comm_RemoveRole.setParameter(QStringLiteral("Rec_ID"), recId);
                comm_RemoveRole.execute();
            },
            [&] { reloadGrants(); });
    });
}

void TAssignRolesForm::btn_RemoveAllRolesClick()
{
    TopLevelErrorHandler::guard(m_services.dialogs, [&] {
        // Before any user is chosen there is no list of grants: nothing to remove.
        if (!UsersRolesQ.isOpen())
            return;
        for (UsersRolesQ.first(); !UsersRolesQ.eof(); UsersRolesQ.next()) {
            const qint64 recId = UsersRolesQ.int64(QStringLiteral("Rec_ID"));
            applyChange(
                [&] {
                    comm_RemoveRole.setParameter(QStringLiteral("Rec_ID"), recId);
                    comm_RemoveRole.execute();
                },
                {});
        }
        reloadGrants();
    });
}

void TAssignRolesForm::applyChange(const std::function<void()> &change,
                                   const std::function<void()> &afterCommit)
{
    Connection &connection = m_dataModule.ADOConnection1;
    try {
        // A connection dropped by an earlier failure is opened again, as a query would.
        connection.ensureOpen();
        connection.beginTransaction();
        change();
        connection.commit();
        if (afterCommit)
            afterCommit();
    } catch (...) {
        const QString message = admin::currentErrorMessage();
        if (connection.inTransaction())
            connection.rollback();
        m_services.dialogs.showPlain(kFailed + message);
    }
}

void TAssignRolesForm::reloadGrants()
{
    UsersRolesQ.close();
    // An empty grid rather than rows the closed query no longer has, should reopening fail.
    m_grantsModel->reload();
    UsersRolesQ.open();
    m_grantsModel->reload();
    selectGrant(UsersRolesQ.currentRow());
}

void TAssignRolesForm::selectGrant(int row)
{
    if (row < 0 || row >= m_grantsModel->rowCount())
        return;
    const QModelIndex index = m_grantsModel->index(row, 0);
    DBGrid3->setCurrentIndex(index);
    DBGrid3->scrollTo(index);
}

} // namespace corvel
