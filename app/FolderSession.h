#pragma once
// The folder view of the window: the table of an opened folder, its loading,
// and what a selection in it does to the editors.
//
// One selected file is loaded into the window as an opened file is, and
// "Update" runs the window's save sequence for it. Several selected files
// put the ID3v1 and ID3v2 editors into their many-files mode: each field
// shows the value the files share, or "<different values>". Whatever the
// user changes in the editors is kept for the selected files when the
// selection moves on, and the table marks those files until "Update" writes
// the changes or "Undo Changes" drops them. "Update" with several files
// selected writes them one after the other behind a progress dialog that can
// be cancelled between two files; a file that fails is named and the others
// go on.
#include <QList>
#include <QObject>
#include <QStringList>

#include "RenameDialog.h"

class QLabel;
class QProgressBar;
class QSettings;

namespace korvel::controls {
class SharedFields;
}

namespace korvel::quelm {

class FolderLoader;
class FolderModel;
class LibraryPanel;
class MainWindow;

class FolderSession : public QObject {
    Q_OBJECT

public:
    FolderSession(MainWindow* window, LibraryPanel* panel, QSettings* settings);
    ~FolderSession() override;

    // Lists the folder's files in the table (loading in the background).
    // False when the user chose to keep unsaved changes of the folder open now.
    bool Open(const QString& folder, bool subfolders);
    bool IsOpen() const;
    // Opens the folder opened last, when it still exists.
    bool ReopenLast();
    // The table's columns and sorting, kept in the settings.
    void StoreLayout();
    void RestoreLayout();
    FolderLoader* Loader() const { return m_loader; }
    FolderModel* Model() const;

    // The model rows the editors show; more than one in the many-files mode.
    const QList<int>& Rows() const { return m_rows; }
    bool ManyFiles() const { return m_rows.size() > 1; }
    bool OneFile() const { return m_rows.size() == 1; }

    // Keeps what the user changed in the editors as changes of the files
    // they show.
    void Commit();
    // "Update" with several files: writes the changes of the selected files.
    void UpdateFiles();
    // "Undo Changes" in the folder: drops the changes of the selected files
    // and shows them as they are on disk.
    void UndoChanges();
    // The window's save sequence wrote this file.
    void FileSaved(const QString& path);
    // A file from elsewhere is opened: the selection keeps its changes and
    // is let go.
    void Leave();
    // True when no changes wait, or the user agrees to drop them.
    bool MayDiscardChanges();

    // Opens the rename dialog for the selected files (all listed files when
    // none is selected).
    RenameDialog* OpenRenameDialog(RenameDialog::Mode mode);

    // The patterns last used, most recent first.
    QStringList Patterns() const;

signals:
    // After each file that "Update" wrote (or failed to write).
    void fileWritten(int done, int total);

private:
    void OnSelectionChanged();
    void ShowSelection();
    void ShowOneFile(int row);
    void ShowManyFiles();
    void OnProgress(int done, int total);
    void OnLoaded(int files, qint64 milliseconds);
    void RememberPattern(const QString& pattern);

    MainWindow* m_window;
    LibraryPanel* m_panel;
    QSettings* m_settings;
    FolderLoader* m_loader = nullptr;
    korvel::controls::SharedFields* m_id3v1Fields = nullptr;
    korvel::controls::SharedFields* m_id3v2Fields = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QList<int> m_rows;
    // Whether the editors asked to remove their tag when the file was shown.
    bool m_removeID3v1AtStart = false;
    bool m_removeID3v2AtStart = false;
};

}  // namespace korvel::quelm
