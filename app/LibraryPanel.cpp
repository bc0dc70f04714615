#include "LibraryPanel.h"

#include <algorithm>
#include <vector>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include "FolderModel.h"

namespace korvel::quelm {

LibraryPanel::LibraryPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmLibrary"));
    m_model = new FolderModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(FolderModel::SortRole);
    m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setFilterKeyColumn(-1);

    m_lblFolder = new QLabel(this);
    m_lblFolder->setObjectName(QStringLiteral("lblFolder"));
    m_lblFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_chkSubfolders = new QCheckBox(QStringLiteral("Subfolders"), this);
    m_chkSubfolders->setObjectName(QStringLiteral("chkSubfolders"));
    m_chkSubfolders->setToolTip(QStringLiteral("List the files of the subfolders too"));
    connect(m_chkSubfolders, &QCheckBox::clicked, this, &LibraryPanel::subfoldersToggled);
    m_txtFilter = new QLineEdit(this);
    m_txtFilter->setObjectName(QStringLiteral("txtFilter"));
    m_txtFilter->setPlaceholderText(QStringLiteral("Filter"));
    m_txtFilter->setClearButtonEnabled(true);
    connect(m_txtFilter, &QLineEdit::textChanged, m_proxy,
            &QSortFilterProxyModel::setFilterFixedString);

    m_lvwFiles = new QTableView(this);
    m_lvwFiles->setObjectName(QStringLiteral("lvwFiles"));
    m_lvwFiles->setModel(m_proxy);
    m_lvwFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvwFiles->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_lvwFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvwFiles->setAlternatingRowColors(true);
    m_lvwFiles->setShowGrid(false);
    m_lvwFiles->setWordWrap(false);
    m_lvwFiles->setTextElideMode(Qt::ElideRight);
    // Rows of one height and no measuring of contents: thousands of rows
    // stay quick to add and to scroll.
    QHeaderView* rows = m_lvwFiles->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* columns = m_lvwFiles->horizontalHeader();
    columns->setSectionsMovable(true);
    columns->setHighlightSections(false);
    columns->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(columns, &QHeaderView::customContextMenuRequested, this, &LibraryPanel::ShowColumnMenu);
    const int widths[FolderModel::kColumnCount] = {220, 160, 130, 130, 48, 48, 90, 130, 64, 110};
    for (int column = 0; column < FolderModel::kColumnCount; ++column) {
        columns->resizeSection(column, widths[column]);
    }
    m_lvwFiles->setSortingEnabled(true);
    m_lvwFiles->sortByColumn(FolderModel::kName, Qt::AscendingOrder);
    connect(m_lvwFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LibraryPanel::selectionChanged);

    auto* top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(m_txtFilter, 1);
    top->addWidget(m_chkSubfolders);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_lblFolder);
    layout->addLayout(top);
    layout->addWidget(m_lvwFiles, 1);
}

void LibraryPanel::SetFolder(const QString& folder) {
    m_lblFolder->setText(folder);
    m_lblFolder->setToolTip(folder);
}

QList<int> LibraryPanel::SelectedRows() const {
    // From the selection's ranges: a row counts once, also when hidden or
    // moved columns split it into several ranges.
    std::vector<int> shown;
    for (const QItemSelectionRange& range : m_lvwFiles->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) shown.push_back(row);
    }
    std::sort(shown.begin(), shown.end());
    shown.erase(std::unique(shown.begin(), shown.end()), shown.end());
    QList<int> rows;
    rows.reserve(static_cast<qsizetype>(shown.size()));
    for (int row : shown) rows << m_proxy->mapToSource(m_proxy->index(row, 0)).row();
    return rows;
}

QList<int> LibraryPanel::ShownRows() const {
    QList<int> rows;
    rows.reserve(m_proxy->rowCount());
    for (int row = 0; row < m_proxy->rowCount(); ++row) {
        rows << m_proxy->mapToSource(m_proxy->index(row, 0)).row();
    }
    return rows;
}

void LibraryPanel::SelectRows(const QList<int>& rows) {
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = m_proxy->mapFromSource(m_model->index(row, 0));
        if (index.isValid()) selection.select(index, index);
    }
    m_lvwFiles->selectionModel()->select(
        selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!selection.isEmpty()) {
        m_lvwFiles->selectionModel()->setCurrentIndex(selection.first().topLeft(),
                                                      QItemSelectionModel::NoUpdate);
    }
}

QByteArray LibraryPanel::SaveState() const { return m_lvwFiles->horizontalHeader()->saveState(); }

void LibraryPanel::RestoreState(const QByteArray& state) {
    QHeaderView* header = m_lvwFiles->horizontalHeader();
    if (state.isEmpty() || !header->restoreState(state)) return;
    m_lvwFiles->sortByColumn(header->sortIndicatorSection(), header->sortIndicatorOrder());
}

void LibraryPanel::ShowColumnMenu(const QPoint& at) {
    QHeaderView* header = m_lvwFiles->horizontalHeader();
    QMenu menu(this);
    for (int column = 1; column < FolderModel::kColumnCount; ++column) {
        QAction* action =
            menu.addAction(m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        action->setCheckable(true);
        action->setChecked(!header->isSectionHidden(column));
        connect(action, &QAction::toggled, header,
                [header, column](bool shown) { header->setSectionHidden(column, !shown); });
    }
    menu.exec(header->mapToGlobal(at));
}

}  // namespace korvel::quelm
