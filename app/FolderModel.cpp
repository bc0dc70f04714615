#include "FolderModel.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QIcon>
#include <QStyle>

#include "file/FileReport.h"

namespace korvel::quelm {

namespace {

// The tag field behind a column, "" for the others.
QString FieldOf(int column) {
    switch (column) {
        case FolderModel::kTitle: return QStringLiteral("Title");
        case FolderModel::kArtist: return QStringLiteral("Artist");
        case FolderModel::kAlbum: return QStringLiteral("Album");
        case FolderModel::kYear: return QStringLiteral("Year");
        case FolderModel::kTrack: return QStringLiteral("Track");
        case FolderModel::kGenre: return QStringLiteral("Genre");
        default: return QString();
    }
}

// The number a text starts with ("3/12" gives 3); -1 without one.
int LeadingNumber(const QString& text) {
    qsizetype digits = 0;
    while (digits < text.size() && digits < 9 && text[digits].isDigit()) ++digits;
    return digits == 0 ? -1 : text.left(digits).toInt();
}

// The value of a field once the changes are written; nullptr when there is none.
const QString* Pick(const FieldValues& onDisk, const FieldValues& changed, bool removed,
                    const QString& field) {
    if (removed) return nullptr;
    if (const auto found = changed.find(field); found != changed.end()) return &found->second;
    if (const auto found = onDisk.find(field); found != onDisk.end()) return &found->second;
    return nullptr;
}

}  // namespace

FolderModel::FolderModel(QObject* parent) : QAbstractTableModel(parent) {}

void FolderModel::Reset(const QString& folder) {
    beginResetModel();
    m_folder = folder;
    m_rows.clear();
    m_rowOfPath.clear();
    endResetModel();
}

void FolderModel::Append(std::vector<FileSummary> files) {
    if (files.empty()) return;
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + static_cast<int>(files.size()) - 1);
    for (FileSummary& file : files) {
        m_rowOfPath.insert(file.Path, static_cast<int>(m_rows.size()));
        QString name = QDir(m_folder).relativeFilePath(file.Path);
        m_rows.push_back({std::move(file), {}, std::move(name)});
    }
    endInsertRows();
}

void FolderModel::Replace(int row, FileSummary file) {
    Row& entry = m_rows[static_cast<size_t>(row)];
    if (entry.file.Path != file.Path) {
        m_rowOfPath.remove(entry.file.Path);
        m_rowOfPath.insert(file.Path, row);
        entry.name = QDir(m_folder).relativeFilePath(file.Path);
    }
    entry.file = std::move(file);
    RowChanged(row);
}

int FolderModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int FolderModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QString FolderModel::Name(int row) const { return m_rows[static_cast<size_t>(row)].name; }

QString FolderModel::Shown(int row, const QString& field) const {
    const Row& entry = m_rows[static_cast<size_t>(row)];
    const QString* id3v2 =
        Pick(entry.file.ID3v2, entry.changes.ID3v2, entry.changes.RemoveID3v2, field);
    if (id3v2 != nullptr && !id3v2->isEmpty()) return *id3v2;
    const QString* id3v1 =
        Pick(entry.file.ID3v1, entry.changes.ID3v1, entry.changes.RemoveID3v1, field);
    return id3v1 != nullptr ? *id3v1 : QString();
}

FieldValues FolderModel::ID3v1Values(int row) const {
    const Row& entry = m_rows[static_cast<size_t>(row)];
    return Effective(entry.file.ID3v1, entry.changes.ID3v1, entry.changes.RemoveID3v1);
}

FieldValues FolderModel::ID3v2Values(int row) const {
    const Row& entry = m_rows[static_cast<size_t>(row)];
    return Effective(entry.file.ID3v2, entry.changes.ID3v2, entry.changes.RemoveID3v2);
}

QVariant FolderModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return QVariant();
    const int row = index.row();
    const int column = index.column();
    const Row& entry = m_rows[static_cast<size_t>(row)];
    const FileSummary& file = entry.file;
    const bool changed = !entry.changes.Empty();

    switch (role) {
        case Qt::DisplayRole:
            switch (column) {
                case kName: return Name(row);
                case kTags: return file.Readable ? file.TagVersions : QStringLiteral("cannot be read");
                case kDuration:
                    return file.Duration >= 0 ? QString::fromStdString(korvel::formatDuration(file.Duration))
                                              : QString();
                case kBitRate:
                    if (file.BitRate < 0) return QString();
                    return QString::number(file.BitRate) +
                           (file.VBR ? QStringLiteral(" kbit/s VBR") : QStringLiteral(" kbit/s"));
                default: return Shown(row, FieldOf(column));
            }
        case SortRole:
            switch (column) {
                case kName: return Name(row);
                case kTags: return file.TagVersions;
                case kYear:
                case kTrack: return LeadingNumber(Shown(row, FieldOf(column)));
                case kDuration: return file.Duration;
                case kBitRate: return file.BitRate;
                default: return Shown(row, FieldOf(column));
            }
        case Qt::DecorationRole:
            if (column != kName) return QVariant();
            if (!file.Problem.isEmpty()) {
                return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
            }
            if (changed) return QApplication::style()->standardIcon(QStyle::SP_DialogSaveButton);
            return QVariant();
        case Qt::FontRole:
            if (changed) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return QVariant();
        case Qt::ToolTipRole:
            if (!file.Problem.isEmpty()) return file.Path + QStringLiteral("\n") + file.Problem;
            if (changed) return file.Path + QStringLiteral("\nUnsaved changes");
            return file.Path;
        case PathRole: return file.Path;
        case ProblemRole: return file.Problem;
        case ChangedRole: return changed;
        default: return QVariant();
    }
}

QVariant FolderModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    static const char* const captions[kColumnCount] = {
        "File name", "Title", "Artist", "Album", "Year", "Track", "Genre", "Tags", "Length", "Bit rate"};
    return section >= 0 && section < kColumnCount ? QString::fromLatin1(captions[section]) : QVariant();
}

void FolderModel::AddChanges(int row, const TagChanges& changes) {
    m_rows[static_cast<size_t>(row)].changes.Merge(changes);
    RowChanged(row);
}

void FolderModel::DropChanges(int row) {
    m_rows[static_cast<size_t>(row)].changes = TagChanges();
    RowChanged(row);
}

int FolderModel::ChangedCount() const {
    int count = 0;
    for (const Row& entry : m_rows) count += entry.changes.Empty() ? 0 : 1;
    return count;
}

void FolderModel::RowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

}  // namespace korvel::quelm
