#include "FolderSession.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QProgressDialog>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTableView>

#include "AppInfo.h"
#include "BusyCursor.h"
#include "FolderLoader.h"
#include "FolderModel.h"
#include "LibraryPanel.h"
#include "MainWindow.h"
#include "NamePattern.h"
#include "controls/ID3v1.h"
#include "controls/ID3v2.h"
#include "controls/SharedFields.h"

namespace korvel::quelm {

namespace {

using korvel::controls::SharedFields;
using korvel::controls::SharedValues;

const char* const kFolderKey = "Library/Folder";
const char* const kSubfoldersKey = "Library/Subfolders";
const char* const kPatternsKey = "Library/Patterns";
const char* const kColumnsKey = "Library/Columns";
constexpr int kPatternsKept = 10;

QString Key(const char* key) { return QString::fromLatin1(key); }

// Per field, the value all the rows share; nullopt where they differ. The
// genre's name and number are one value.
SharedValues SharedOf(const FolderModel& model, const QList<int>& rows, bool id3v1) {
    const QString genre = QStringLiteral("Genre");
    const QString number = QStringLiteral("GenreNumber");
    const QStringList names = (id3v1 ? ID3v1Fields() : ID3v2Fields()) + QStringList{number};
    SharedValues shared;
    bool first = true;
    for (int row : rows) {
        const FieldValues values = id3v1 ? model.ID3v1Values(row) : model.ID3v2Values(row);
        for (const QString& name : names) {
            const auto found = values.find(name);
            const QString value = found == values.end() ? QString() : found->second;
            if (first) {
                shared[name] = value;
            } else if (shared[name] && *shared[name] != value) {
                shared[name] = std::nullopt;
            }
        }
        first = false;
    }
    if (!shared[genre] || !shared[number]) shared[genre] = shared[number] = std::nullopt;
    return shared;
}

SharedValues AsShared(const FieldValues& values) {
    SharedValues shared;
    for (const auto& [name, value] : values) shared[name] = value;
    return shared;
}

// What the user asked of one editor since its fields were shown.
template <typename Editor>
void Collect(const SharedFields& fields, const Editor& editor, bool removeAtStart,
             FieldValues& values, bool& remove) {
    if (editor.removeTag() && !removeAtStart) {
        remove = true;
        return;
    }
    if (!editor.saveTag()) return;
    for (const QString& name : fields.Changed()) {
        values[name] = fields.Value(name);
        if (name == QLatin1String("Genre")) {
            values[QStringLiteral("GenreNumber")] = fields.Value(QStringLiteral("GenreNumber"));
        }
    }
}

// Ticks the editor's tag box and shows the changes a file has waiting.
void ShowChanges(SharedFields& fields, const FieldValues& values, bool remove) {
    if (remove) {
        fields.TickTagBox(false);
    } else if (!values.empty()) {
        fields.TickTagBox(true);
        fields.Show(AsShared(values), true);
    }
}

}  // namespace

FolderSession::FolderSession(MainWindow* window, LibraryPanel* panel, QSettings* settings)
    : QObject(window), m_window(window), m_panel(panel), m_settings(settings) {
    m_loader = new FolderLoader(panel->Model(), this);
    m_id3v1Fields = new SharedFields(window->ID3v1Editor());
    m_id3v2Fields = new SharedFields(window->ID3v2Editor());

    m_status = new QLabel(window);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_progress = new QProgressBar(window);
    m_progress->setObjectName(QStringLiteral("prgLoading"));
    m_progress->setMaximumWidth(220);
    m_progress->hide();
    window->statusBar()->addWidget(m_status, 1);
    window->statusBar()->addPermanentWidget(m_progress);

    connect(m_loader, &FolderLoader::progress, this, &FolderSession::OnProgress);
    connect(m_loader, &FolderLoader::finished, this, &FolderSession::OnLoaded);
    connect(panel, &LibraryPanel::selectionChanged, this, &FolderSession::OnSelectionChanged);
    connect(panel, &LibraryPanel::subfoldersToggled, this, [this](bool checked) {
        if (!Open(Model()->Folder(), checked)) m_panel->SubfoldersBox()->setChecked(!checked);
    });
}

FolderSession::~FolderSession() = default;

FolderModel* FolderSession::Model() const { return m_panel->Model(); }

bool FolderSession::IsOpen() const { return !Model()->Folder().isEmpty(); }

bool FolderSession::Open(const QString& folder, bool subfolders) {
    if (!MayDiscardChanges()) return false;
    Leave();
    m_panel->SetFolder(folder);
    m_panel->SubfoldersBox()->setChecked(subfolders);
    m_panel->show();
    m_settings->setValue(Key(kFolderKey), folder);
    m_settings->setValue(Key(kSubfoldersKey), subfolders);
    m_loader->Start(folder, subfolders);
    return true;
}

bool FolderSession::ReopenLast() {
    const QString folder = m_settings->value(Key(kFolderKey)).toString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return false;
    return Open(folder, m_settings->value(Key(kSubfoldersKey), true).toBool());
}

void FolderSession::StoreLayout() { m_settings->setValue(Key(kColumnsKey), m_panel->SaveState()); }

void FolderSession::RestoreLayout() {
    m_panel->RestoreState(m_settings->value(Key(kColumnsKey)).toByteArray());
    m_panel->SubfoldersBox()->setChecked(m_settings->value(Key(kSubfoldersKey), true).toBool());
}

void FolderSession::OnProgress(int done, int total) {
    m_progress->show();
    if (total < 0) {
        m_progress->setRange(0, 0);
        m_status->setText(QStringLiteral("Listing the files\u2026"));
        return;
    }
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_status->setText(QStringLiteral("Reading %1 of %2 files\u2026").arg(done).arg(total));
}

void FolderSession::OnLoaded(int files, qint64 milliseconds) {
    m_progress->hide();
    m_status->setText(QStringLiteral("%1 files (read in %2 s)")
                          .arg(files)
                          .arg(static_cast<double>(milliseconds) / 1000.0, 0, 'f', 1));
}

// ---------------------------------------------------------------- selection

void FolderSession::OnSelectionChanged() {
    Commit();
    ShowSelection();
}

void FolderSession::ShowSelection() {
    const QList<int> selected = m_panel->SelectedRows();
    m_rows.clear();
    for (int row : selected) {
        if (Model()->File(row).Readable) m_rows << row;
    }
    if (m_rows.size() == 1) {
        ShowOneFile(m_rows.front());
    } else if (m_rows.size() > 1) {
        ShowManyFiles();
    } else {
        m_id3v1Fields->EndManyFiles();
        m_id3v2Fields->EndManyFiles();
        m_window->ClearFileView(selected.size() == 1 ? Model()->Name(selected.front()) +
                                                           QStringLiteral(": ") +
                                                           Model()->File(selected.front()).Problem
                                                     : QString());
    }
}

void FolderSession::ShowOneFile(int row) {
    m_id3v1Fields->EndManyFiles();
    m_id3v2Fields->EndManyFiles();
    if (!m_window->ShowFile(Model()->File(row).Path)) {
        // The editors must not keep another file's tags for this one.
        m_rows.clear();
        m_window->ClearFileView(Model()->Name(row) + QStringLiteral(": the file cannot be read."));
        return;
    }
    m_id3v1Fields->Reset();
    m_id3v2Fields->Reset();
    m_removeID3v1AtStart = m_window->ID3v1Editor()->removeTag();
    m_removeID3v2AtStart = m_window->ID3v2Editor()->removeTag();
    const TagChanges& changes = Model()->Changes(row);
    ShowChanges(*m_id3v1Fields, changes.ID3v1, changes.RemoveID3v1);
    ShowChanges(*m_id3v2Fields, changes.ID3v2, changes.RemoveID3v2);
}

void FolderSession::ShowManyFiles() {
    m_window->ClearFileView(QStringLiteral("%1 files selected.").arg(m_rows.size()));
    m_id3v1Fields->BeginManyFiles(ID3v1Fields());
    m_id3v2Fields->BeginManyFiles(ID3v2Fields());
    m_id3v1Fields->Show(SharedOf(*Model(), m_rows, true));
    m_id3v2Fields->Show(SharedOf(*Model(), m_rows, false));
    m_removeID3v1AtStart = false;
    m_removeID3v2AtStart = false;
}

void FolderSession::Commit() {
    if (m_rows.isEmpty()) return;
    TagChanges changes;
    Collect(*m_id3v1Fields, *m_window->ID3v1Editor(), m_removeID3v1AtStart, changes.ID3v1,
            changes.RemoveID3v1);
    Collect(*m_id3v2Fields, *m_window->ID3v2Editor(), m_removeID3v2AtStart, changes.ID3v2,
            changes.RemoveID3v2);
    // Forgotten first: adding the changes may move rows of a sorted or
    // filtered table, and with them the selection.
    m_id3v1Fields->Reset();
    m_id3v2Fields->Reset();
    m_removeID3v1AtStart = m_window->ID3v1Editor()->removeTag();
    m_removeID3v2AtStart = m_window->ID3v2Editor()->removeTag();
    if (changes.Empty()) return;
    const QList<int> rows = m_rows;
    for (int row : rows) Model()->AddChanges(row, changes);
}

void FolderSession::Leave() {
    Commit();
    m_rows.clear();
    m_id3v1Fields->EndManyFiles();
    m_id3v2Fields->EndManyFiles();
    const QSignalBlocker quiet(m_panel);
    m_panel->Table()->clearSelection();
}

// ---------------------------------------------------------------- saving

void FolderSession::UpdateFiles() {
    Commit();
    QList<int> rows;
    for (int row : m_rows) {
        if (!Model()->Changes(row).Empty()) rows << row;
    }
    if (rows.isEmpty()) {
        m_status->setText(QStringLiteral("No changes to save."));
        return;
    }
    QStringList failures;
    int done = 0;
    {
        // The table changes as files are written; the editors follow once
        // all are done.
        const QSignalBlocker quiet(m_panel);
        QProgressDialog progress(QStringLiteral("Saving the tags\u2026"), QStringLiteral("Cancel"), 0,
                                 static_cast<int>(rows.size()), m_window);
        progress.setObjectName(QStringLiteral("dlgProgress"));
        progress.setWindowTitle(ApplicationTitle());
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(0);
        progress.setValue(0);
        for (int row : rows) {
            if (progress.wasCanceled()) break;
            const QString path = Model()->File(row).Path;
            progress.setLabelText(QStringLiteral("Saving %1\u2026").arg(Model()->Name(row)));
            const QString failure = WriteChanges(path, Model()->Changes(row));
            Model()->Replace(row, ReadSummary(path));
            if (failure.isEmpty()) {
                Model()->DropChanges(row);
            } else {
                failures << Model()->Name(row) + QStringLiteral(": ") + failure;
            }
            ++done;
            progress.setValue(done);
            emit fileWritten(done, static_cast<int>(rows.size()));
        }
    }
    const int saved = done - static_cast<int>(failures.size());
    m_status->setText(done < rows.size()
                          ? QStringLiteral("Cancelled: %1 of %2 files saved.").arg(saved).arg(rows.size())
                          : QStringLiteral("%1 of %2 files saved.").arg(saved).arg(rows.size()));
    if (!failures.isEmpty()) {
        Tell("Unable to save the tags of " + std::to_string(failures.size()) + " of " +
                 std::to_string(rows.size()) + " files:\r\n" +
                 failures.join(QStringLiteral("\r\n")).toStdString(),
             korvel::MessageIcon::Exclamation);
    }
    ShowSelection();
}

void FolderSession::UndoChanges() {
    m_id3v1Fields->Reset();
    m_id3v2Fields->Reset();
    {
        const QSignalBlocker quiet(m_panel);
        const QList<int> rows = m_rows;
        for (int row : rows) Model()->DropChanges(row);
    }
    ShowSelection();
}

void FolderSession::FileSaved(const QString& path) {
    if (!OneFile() || Model()->File(m_rows.front()).Path != path) return;
    const int row = m_rows.front();
    m_id3v1Fields->Reset();
    m_id3v2Fields->Reset();
    m_removeID3v1AtStart = m_window->ID3v1Editor()->removeTag();
    m_removeID3v2AtStart = m_window->ID3v2Editor()->removeTag();
    const QSignalBlocker quiet(m_panel);
    Model()->Replace(row, ReadSummary(path));
    Model()->DropChanges(row);
}

bool FolderSession::MayDiscardChanges() {
    Commit();
    const int changed = Model()->ChangedCount();
    if (changed == 0) return true;
    bool discard = false;
    WithNormalCursor([&] {
        discard = QMessageBox::question(
                      m_window, ApplicationTitle(),
                      QStringLiteral("%1 files have changes that are not saved. Discard them?")
                          .arg(changed),
                      QMessageBox::Discard | QMessageBox::Cancel,
                      QMessageBox::Cancel) == QMessageBox::Discard;
    });
    return discard;
}

// ---------------------------------------------------------------- renaming

QStringList FolderSession::Patterns() const {
    const QStringList used = m_settings->value(Key(kPatternsKey)).toStringList();
    return used.isEmpty() ? DefaultPatterns() : used;
}

void FolderSession::RememberPattern(const QString& pattern) {
    QStringList used = Patterns();
    used.removeAll(pattern);
    used.prepend(pattern);
    while (used.size() > kPatternsKept) used.removeLast();
    m_settings->setValue(Key(kPatternsKey), used);
}

RenameDialog* FolderSession::OpenRenameDialog(RenameDialog::Mode mode) {
    Commit();
    QList<int> rows = m_panel->SelectedRows();
    if (rows.isEmpty()) rows = m_panel->ShownRows();
    auto* dialog = new RenameDialog(mode, Model(), rows, Patterns(), m_window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &RenameDialog::applied, this, [this](const QString& pattern) {
        RememberPattern(pattern);
        ShowSelection();
    });
    dialog->open();
    return dialog;
}

}  // namespace korvel::quelm
