#include "platform/ui/folder_browser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTreeView>
#include <QVBoxLayout>
#include <QCoreApplication>

namespace tess {

FolderBrowser::FolderBrowser(QWidget *owner, const QString &instruction) : QDialog(owner)
{
    setObjectName(QStringLiteral("FolderBrowser"));
    setWindowTitle(windowCaption());
    setModal(true);
    resize(380, 440);

    m_instruction = new QLabel(instruction, this);
    m_instruction->setObjectName(QStringLiteral("instruction"));
    m_instruction->setTextFormat(Qt::PlainText);
    m_instruction->setWordWrap(true);

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_model->setRootPath(QDir::rootPath());

    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("folders"));
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->setHeaderHidden(true);
    m_tree->setSortingEnabled(true);
    m_tree->sortByColumn(0, Qt::AscendingOrder);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setUniformRowHeights(true);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton()->setText(QCoreApplication::translate("FolderBrowser", "OK"));
    cancelButton()->setText(QCoreApplication::translate("FolderBrowser", "キャンセル"));
    // Plain buttons, as the shell's: no style icons beside the words.
    okButton()->setIcon(QIcon());
    cancelButton()->setIcon(QIcon());
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &FolderBrowser::updateOk);
    // The model reads folders on a thread of its own and sorts them later, and
    // every row it adds or moves above the start folder pushes it down: the
    // start is brought back into view each time (once the view has taken the
    // change in), until the user picks another folder.
    const auto keep = [this] { keepStartInView(); };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, keep, Qt::QueuedConnection);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, keep, Qt::QueuedConnection);
    connect(m_model, &QFileSystemModel::directoryLoaded, this, keep, Qt::QueuedConnection);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_instruction);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_buttons);

    if (selectFolder(startFolder()))
        m_start = selectedFolder();
    updateOk();
    m_tree->setFocus();
}

QString FolderBrowser::windowCaption()
{
    return QCoreApplication::translate("FolderBrowser", "フォルダーの参照");
}

QString FolderBrowser::startFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString home = QDir::homePath();
    // Without a desktop folder of its own, Qt names the home folder itself.
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
        return QDir::cleanPath(desktop);
    return QDir::cleanPath(home);
}

QString FolderBrowser::selectedFolder() const
{
    const QModelIndex current = m_tree->currentIndex();
    if (!current.isValid() || !m_model->isDir(current))
        return QString();
    return QDir::cleanPath(m_model->filePath(current));
}

bool FolderBrowser::selectFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || info.isHidden())
        return false;
    const QModelIndex index = m_model->index(QDir::cleanPath(info.absoluteFilePath()));
    if (!index.isValid())
        return false;
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        m_tree->expand(parent);
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    return true;
}

QPushButton *FolderBrowser::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

QPushButton *FolderBrowser::cancelButton() const
{
    return m_buttons->button(QDialogButtonBox::Cancel);
}

void FolderBrowser::updateOk()
{
    const QString selected = selectedFolder();
    if (selected != m_start)
        m_start.clear();
    okButton()->setEnabled(!selected.isEmpty());
}

void FolderBrowser::keepStartInView()
{
    if (m_start.isEmpty() || selectedFolder() != m_start)
        return;
    m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void FolderBrowser::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_start.isEmpty())
        m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
}

} // namespace tess
