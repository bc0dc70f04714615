#pragma once
// The window of Quelm, frmOCXTest: the user drops an MP3 file on the path
// box, sees its audio properties and every tag field, edits the tags in the
// library's editors and writes them back with "Update". An opened folder
// lists its files in a table beside the editors (FolderSession).
//
// The window keeps no file object between operations: each load and each save
// opens its own korvel::FileHandler; the editors keep the tag objects handed
// to them. Failures are shown as message boxes through korvel::ShowMessage;
// nothing escapes to the event loop.
#include <memory>
#include <string>

#include <QMainWindow>
#include <QSettings>
#include <QString>
#include <QStringList>

#include "file/FileHandler.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTreeWidget;

namespace korvel::controls {
class ID3v1;
class ID3v2;
class Lyrics;
}  // namespace korvel::controls

namespace korvel::quelm {

class DropPathBox;
class FolderSession;
class LibraryPanel;
class LinkLabel;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // settings: where the window keeps its size and the ID3v2 editor's
    // design-time properties; null for the user's settings of the program
    // (organisation "Korvel Project", application "Quelm").
    explicit MainWindow(std::unique_ptr<QSettings> settings = nullptr, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Puts the path into the path box and loads the file. False when the
    // file could not be opened (the failure has been shown). A selection in
    // the folder table is let go (its changes are kept).
    bool OpenFile(const QString& path);
    // Lists the folder's MP3 files beside the editors (with its subfolders
    // when the box is ticked, or when asked).
    void OpenFolder(const QString& path);
    void OpenFolder(const QString& path, bool subfolders);
    // Asks for a folder with the folder dialog and opens it.
    void ChooseFolder();
    // Opens the folder opened last; false when there is none.
    bool ReopenLastFolder();
    // Loads the file named in the path box; nothing happens while it is empty.
    bool LoadFile();
    // What a drop of these files does: exactly one file becomes the path;
    // then the file named in the path box is loaded (several files reload the
    // previous one). One folder dropped is opened as a folder.
    void DropFiles(const QStringList& paths);
    // Reloads the file in the path box, discarding unsaved edits.
    void UndoChanges();
    // The save sequence of "Update".
    void UpdateTags();
    // Asks for a file with the open dialog and loads it.
    void ChooseFile();

    // The key of a tab ("1_", "5_", ...) and the page number it stands for.
    QString TabKey(int index) const;
    static int PageNumber(const QString& key);
    // Shows the tab with that key; false when there is none.
    bool SelectTab(const QString& key);

    // Stores the window size, the ID3v2 editor's properties and the folder
    // table's layout.
    void StoreSettings();

    // For the folder view: loads a file of the folder into the window, and
    // empties the path box, the pages and the editors (the Info page then
    // shows the note).
    bool ShowFile(const QString& path);
    void ClearFileView(const QString& note);
    korvel::controls::ID3v1* ID3v1Editor() const { return m_ucID3v1; }
    korvel::controls::ID3v2* ID3v2Editor() const { return m_ucID3v2; }
    LibraryPanel* Library() const { return m_library; }
    FolderSession* Folder() const { return m_folder; }

signals:
    // The save sequence wrote this file (and reloaded it).
    void fileSaved(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildWindow();
    void BuildMenu();
    QWidget* BuildFilePanel();
    QWidget* BuildButtonPanel();
    QWidget* BuildHomepagePanel();
    void CreateTabs();
    void RestoreSettings();

    bool Load(const QString& path);
    // The save sequence; false where it stops with "Update" left disabled.
    bool Save(const std::string& path);
    void OnTabChanged(int index);
    void OpenHomepage();
    void SetTabImage(int pageNumber, const QString& imageKey, bool shown);
    int TabIndexOfPage(int pageNumber) const;

    std::unique_ptr<QSettings> m_settings;
    QSplitter* m_splitter = nullptr;
    LibraryPanel* m_library = nullptr;
    FolderSession* m_folder = nullptr;

    QWidget* m_frmFile = nullptr;
    QLabel* m_lblDescription = nullptr;
    DropPathBox* m_txtFile = nullptr;
    QTabWidget* m_tspMain = nullptr;
    QWidget* m_frmMPEGInfo = nullptr;
    QPlainTextEdit* m_txtMPEGInfo = nullptr;
    QWidget* m_frmTag = nullptr;
    QTreeWidget* m_lvwTag = nullptr;
    korvel::controls::ID3v1* m_ucID3v1 = nullptr;
    korvel::controls::ID3v2* m_ucID3v2 = nullptr;
    korvel::controls::Lyrics* m_ucLyrics = nullptr;
    QWidget* m_frmButtons = nullptr;
    QLabel* m_lblInfo = nullptr;
    QPushButton* m_cmdUpdate = nullptr;
    QPushButton* m_cmdUndoChanges = nullptr;
    QWidget* m_frmHomepage = nullptr;
    QLabel* m_lblReport = nullptr;
    LinkLabel* m_lblHomepage = nullptr;
};

}  // namespace korvel::quelm
