#include "FolderBrowserDialog.h"

#include "FolderTreeFilter.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QVBoxLayout>

namespace trovel {

namespace {

// The dialog's size at 96 pixels per inch; it does not resize, so that the
// widgets a client places by coordinates stay where they were put.
constexpr QSize BaseSize(320, 380);

} // namespace

TFolderBrowserDialog::TFolderBrowserDialog(const TBrowseInfo &Info)
    : TBrowserWindow(Info.Owner), FCallback(Info.Callback)
{
    setObjectName(QStringLiteral("folderBrowser"));
    setWindowTitle(QStringLiteral("Browse for Folder"));

    auto *Title = new QLabel(Info.Title, this);
    Title->setObjectName(QStringLiteral("titleLabel"));
    Title->setWordWrap(true);

    FStatus = new QLabel(this);
    FStatus->setObjectName(QStringLiteral("statusText"));
    FStatus->setVisible((Info.Flags & bifStatusText) != 0);

    const QString TopFolder = QDir::cleanPath(Info.Root.value_or(QStringLiteral("/")));
    FModel = new QFileSystemModel(this);
    FModel->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    FModel->setRootPath(TopFolder);
    FFilter = new TFolderTreeFilter(TopFolder, this);
    FFilter->setSourceModel(FModel);

    FTree = new QTreeView(this);
    FTree->setObjectName(QStringLiteral("folderTree"));
    FTree->setModel(FFilter);
    FTree->setHeaderHidden(true);
    for (int Column = 1; Column < FModel->columnCount(); ++Column)
        FTree->hideColumn(Column);
    FTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTree->setSelectionMode(QAbstractItemView::SingleSelection);
    const QModelIndex Top = FFilter->mapFromSource(FModel->index(TopFolder));
    FTree->setRootIndex(Top.parent());
    FTree->expand(Top);
    connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TFolderBrowserDialog::CurrentChanged);

    auto *Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    FOkButton = Buttons->button(QDialogButtonBox::Ok);
    FOkButton->setObjectName(QStringLiteral("okButton"));
    Buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(12, 12, 12, 13);
    Layout->addWidget(Title);
    Layout->addWidget(FStatus);
    Layout->addWidget(FTree, 1);
    Layout->addWidget(Buttons);

    const qreal Scale = screen()->logicalDotsPerInch() / 96.0;
    setFixedSize((QSizeF(BaseSize) * Scale).toSize());
}

TFolderBrowserDialog::~TFolderBrowserDialog() = default;

std::optional<TBrowseItem> TFolderBrowserDialog::Run()
{
    if (FCallback)
        FCallback(*this, TBrowseMessage::Initialized, nullptr);
    if (!FTree->currentIndex().isValid())
        FTree->setCurrentIndex(FFilter->index(0, 0, FTree->rootIndex()));
    if (exec() != QDialog::Accepted || !FTree->currentIndex().isValid())
        return std::nullopt;
    return ItemAt(FTree->currentIndex());
}

void TFolderBrowserDialog::SetStatusText(const QString &Text)
{
    FStatus->setText(Text);
}

void TFolderBrowserDialog::EnableOk(bool Enable)
{
    FOkButton->setEnabled(Enable);
}

void TFolderBrowserDialog::SetSelection(const QString &Path)
{
    const QModelIndex Index = FFilter->mapFromSource(FModel->index(QDir::cleanPath(Path)));
    if (!Index.isValid())
        return;
    FTree->setCurrentIndex(Index);
    FTree->scrollTo(Index);
}

void TFolderBrowserDialog::SetSelection(const TBrowseItem &Item)
{
    SetSelection(Item.Path);
}

void TFolderBrowserDialog::Cancel()
{
    reject();
}

TBrowseItem TFolderBrowserDialog::ItemAt(const QModelIndex &Index) const
{
    return TBrowseItem::FromPath(FModel->filePath(FFilter->mapToSource(Index)));
}

void TFolderBrowserDialog::CurrentChanged(const QModelIndex &Current)
{
    if (!Current.isValid() || !FCallback)
        return;
    const TBrowseItem Item = ItemAt(Current);
    FCallback(*this, TBrowseMessage::SelectionChanged, &Item);
}

} // namespace trovel
