#pragma once
// The file table of an opened folder, shown beside the editors: the folder's
// name, a box that filters the rows by any column, a check box for the
// subfolders, and the sortable table itself. Its columns can be moved, sized
// and hidden (the header's context menu); SaveState and RestoreState keep
// that, with the sorting.
#include <QByteArray>
#include <QList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSortFilterProxyModel;
class QTableView;

namespace korvel::quelm {

class FolderModel;

class LibraryPanel : public QWidget {
    Q_OBJECT

public:
    explicit LibraryPanel(QWidget* parent = nullptr);

    FolderModel* Model() const { return m_model; }
    QTableView* Table() const { return m_lvwFiles; }
    QCheckBox* SubfoldersBox() const { return m_chkSubfolders; }
    QLineEdit* FilterBox() const { return m_txtFilter; }

    // Shows the folder's path above the table.
    void SetFolder(const QString& folder);

    // Model rows of the selected table rows, and of all rows the filter
    // lets through, in the order the table shows them.
    QList<int> SelectedRows() const;
    QList<int> ShownRows() const;
    // Selects these model rows (the others are deselected).
    void SelectRows(const QList<int>& rows);

    QByteArray SaveState() const;
    void RestoreState(const QByteArray& state);

signals:
    void selectionChanged();
    // The subfolders check box was clicked.
    void subfoldersToggled(bool checked);

private:
    void ShowColumnMenu(const QPoint& at);

    FolderModel* m_model = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    QLabel* m_lblFolder = nullptr;
    QLineEdit* m_txtFilter = nullptr;
    QCheckBox* m_chkSubfolders = nullptr;
    QTableView* m_lvwFiles = nullptr;
};

}  // namespace korvel::quelm
