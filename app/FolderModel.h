#pragma once
// The files of an opened folder as a table: one row per file, with its name
// (relative to the folder), the main tag fields, the tag versions and the
// audio's length and bit rate. Each row also keeps the changes waiting to be
// written to its file; the field columns show the values the file will hold
// once they are, and such rows are marked.
#include <vector>

#include <QAbstractTableModel>
#include <QHash>
#include <QString>

#include "TagFields.h"

namespace korvel::quelm {

class FolderModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        kName,
        kTitle,
        kArtist,
        kAlbum,
        kYear,
        kTrack,
        kGenre,
        kTags,
        kDuration,
        kBitRate,
        kColumnCount
    };
    enum Role {
        PathRole = Qt::UserRole + 1,  // the file's full path
        SortRole,                     // what the column is sorted by
        ProblemRole,                  // why the file (or a tag) cannot be read; "" when it can
        ChangedRole,                  // true while changes wait to be written
    };

    explicit FolderModel(QObject* parent = nullptr);

    // Empties the table; names of the files added later are shown relative
    // to this folder.
    void Reset(const QString& folder);
    const QString& Folder() const { return m_folder; }

    void Append(std::vector<FileSummary> files);
    // Replaces a row's file (after it was written or renamed); its changes stay.
    void Replace(int row, FileSummary file);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const FileSummary& File(int row) const { return m_rows[static_cast<size_t>(row)].file; }
    // The row of a path; -1 when the table has none.
    int RowOf(const QString& path) const { return m_rowOfPath.value(path, -1); }
    // The name shown: the path relative to the folder.
    QString Name(int row) const;

    const TagChanges& Changes(int row) const { return m_rows[static_cast<size_t>(row)].changes; }
    void AddChanges(int row, const TagChanges& changes);
    void DropChanges(int row);
    // How many rows have changes waiting.
    int ChangedCount() const;

    // The values each tag will hold once the row's changes are written.
    FieldValues ID3v1Values(int row) const;
    FieldValues ID3v2Values(int row) const;
    // A field as the table shows it: the ID3v2 value, or the ID3v1 value
    // where the ID3v2 tag has none.
    QString Shown(int row, const QString& field) const;

private:
    struct Row {
        FileSummary file;
        TagChanges changes;
        QString name;  // relative to the folder
    };
    void RowChanged(int row);

    QString m_folder;
    std::vector<Row> m_rows;
    QHash<QString, int> m_rowOfPath;
};

}  // namespace korvel::quelm
