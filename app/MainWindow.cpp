#include "MainWindow.h"

#include <algorithm>

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "AppInfo.h"
#include "BusyCursor.h"
#include "CodePageMenu.h"
#include "FolderModel.h"
#include "FolderSession.h"
#include "LibraryPanel.h"
#include "TabIcons.h"
#include "WindowParts.h"
#include "controls/Controls.h"
#include "controls/ID3v1.h"
#include "controls/ID3v2.h"
#include "controls/Lyrics.h"
#include "controls/PropertyBag.h"
#include "controls/QtMessages.h"
#include "controls/Twips.h"
#include "file/FileReport.h"

namespace korvel::quelm {

namespace {

constexpr const char* kCrLf = "\r\n";

// All margins of the window: 120 twips.
const int kMargin = korvel::controls::TwipsToPixels(120);

// Page numbers of the five pages.
enum Page { kInfoPage = 1, kID3v1Page = 2, kID3v2Page = 3, kLyricsPage = 4, kTagPage = 5 };

const char* const kSizeKey = "Window/Size";
const char* const kTableWidthKey = "Library/TableWidth";
const char* const kID3v2Group = "ucID3v2";

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// A page holding one widget with the window's margin around it.
QWidget* PageAround(QWidget* content, QWidget* page = nullptr) {
    if (page == nullptr) page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->addWidget(content);
    return page;
}

// Every column as wide as its header and its widest entry.
void AutoSizeColumns(QTreeWidget* list) {
    for (int column = 0; column < list->columnCount(); ++column) {
        list->resizeColumnToContents(column);
    }
}

}  // namespace

MainWindow::MainWindow(std::unique_ptr<QSettings> settings, QWidget* parent)
    : QMainWindow(parent), m_settings(std::move(settings)) {
    if (!m_settings) m_settings = std::make_unique<QSettings>(OrganisationName(), ApplicationTitle());
    setObjectName(QStringLiteral("frmOCXTest"));
    setWindowTitle(WindowCaption());
    setAcceptDrops(true);
    BuildWindow();
    m_folder = new FolderSession(this, m_library, m_settings.get());
    connect(this, &MainWindow::fileSaved, m_folder, &FolderSession::FileSaved);
    BuildMenu();
    RestoreSettings();
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------- building

void MainWindow::BuildWindow() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin);

    layout->addWidget(BuildFilePanel());

    // The folder's file table beside the editors; hidden until a folder is
    // opened.
    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setObjectName(QStringLiteral("splMain"));
    m_splitter->setChildrenCollapsible(false);
    m_library = new LibraryPanel(m_splitter);
    m_library->hide();
    m_tspMain = new QTabWidget(m_splitter);
    m_tspMain->setObjectName(QStringLiteral("tspMain"));
    m_tspMain->setIconSize(QSize(16, 16));
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    layout->addWidget(m_splitter, 1);
    CreateTabs();
    m_tspMain->setCornerWidget(BuildHomepagePanel(), Qt::TopRightCorner);

    layout->addWidget(BuildButtonPanel());
    setCentralWidget(central);
}

QWidget* MainWindow::BuildFilePanel() {
    m_frmFile = new QWidget;
    m_frmFile->setObjectName(QStringLiteral("frmFile"));
    auto* layout = new QVBoxLayout(m_frmFile);
    layout->setContentsMargins(0, 0, 0, 0);

    m_txtFile = new DropPathBox(m_frmFile);
    m_txtFile->setObjectName(QStringLiteral("txtFile"));
    m_txtFile->setClearButtonEnabled(true);
    connect(m_txtFile, &DropPathBox::filesDropped, this, &MainWindow::DropFiles);
    connect(m_txtFile, &QLineEdit::returnPressed, this, [this] {
        m_folder->Leave();
        LoadFile();
    });

    // With a buddy the label reads "&&" as one ampersand.
    m_lblDescription =
        new QLabel(QStringLiteral("Drag && Drop MP3-Files into the textbox below."), m_frmFile);
    m_lblDescription->setObjectName(QStringLiteral("lblDescription"));
    m_lblDescription->setBuddy(m_txtFile);

    layout->addWidget(m_lblDescription);
    layout->addWidget(m_txtFile);
    return m_frmFile;
}

QWidget* MainWindow::BuildButtonPanel() {
    m_frmButtons = new QWidget;
    m_frmButtons->setObjectName(QStringLiteral("frmButtons"));
    auto* layout = new QHBoxLayout(m_frmButtons);
    layout->setContentsMargins(0, 0, 0, 0);

    m_lblInfo = new QLabel(VersionComment(), m_frmButtons);
    m_lblInfo->setObjectName(QStringLiteral("lblInfo"));
    m_cmdUpdate = new QPushButton(QStringLiteral("Update"), m_frmButtons);
    m_cmdUpdate->setObjectName(QStringLiteral("cmdUpdate"));
    m_cmdUndoChanges = new QPushButton(QStringLiteral("Undo Changes"), m_frmButtons);
    m_cmdUndoChanges->setObjectName(QStringLiteral("cmdUndoChanges"));
    connect(m_cmdUpdate, &QPushButton::clicked, this, &MainWindow::UpdateTags);
    connect(m_cmdUndoChanges, &QPushButton::clicked, this, &MainWindow::UndoChanges);

    layout->addWidget(m_lblInfo, 1);
    layout->addWidget(m_cmdUpdate);
    layout->addWidget(m_cmdUndoChanges);
    return m_frmButtons;
}

QWidget* MainWindow::BuildHomepagePanel() {
    m_frmHomepage = new QWidget;
    m_frmHomepage->setObjectName(QStringLiteral("frmHomepage"));
    auto* layout = new QHBoxLayout(m_frmHomepage);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_lblReport = new QLabel(QStringLiteral("Report errors to "), m_frmHomepage);
    m_lblReport->setObjectName(QStringLiteral("lblReport"));
    m_lblHomepage = new LinkLabel(m_frmHomepage);
    m_lblHomepage->setObjectName(QStringLiteral("lblHomepage"));
    m_lblHomepage->setText(SupportAddress());
    m_lblHomepage->setTag(QStringLiteral("mailto:") + SupportAddress());
    connect(m_lblHomepage, &LinkLabel::clicked, this, &MainWindow::OpenHomepage);

    layout->addWidget(m_lblReport);
    layout->addWidget(m_lblHomepage);
    m_frmHomepage->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    return m_frmHomepage;
}

void MainWindow::CreateTabs() {
    m_frmMPEGInfo = new QWidget;
    m_frmMPEGInfo->setObjectName(QStringLiteral("frmMPEGInfo"));
    m_frmMPEGInfo->setAccessibleName(QStringLiteral("MPEG Info"));
    m_txtMPEGInfo = new QPlainTextEdit;
    m_txtMPEGInfo->setObjectName(QStringLiteral("txtMPEGInfo"));
    m_txtMPEGInfo->setReadOnly(true);
    m_txtMPEGInfo->clear();
    PageAround(m_txtMPEGInfo, m_frmMPEGInfo);

    m_frmTag = new QWidget;
    m_frmTag->setObjectName(QStringLiteral("frmTag"));
    m_lvwTag = new QTreeWidget;
    m_lvwTag->setObjectName(QStringLiteral("lvwTag"));
    m_lvwTag->setRootIsDecorated(false);
    m_lvwTag->setAlternatingRowColors(true);
    m_lvwTag->setHeaderLabels({QStringLiteral("Attribute"), QStringLiteral("Value")});
    m_lvwTag->header()->setStretchLastSection(false);
    AutoSizeColumns(m_lvwTag);
    PageAround(m_lvwTag, m_frmTag);

    using korvel::controls::CreateControl;
    m_ucID3v1 = qobject_cast<korvel::controls::ID3v1*>(
        CreateControl(QStringLiteral("KORVEL.ID3v1")));
    m_ucID3v1->setObjectName(QStringLiteral("ucID3v1"));
    m_ucID3v2 = qobject_cast<korvel::controls::ID3v2*>(
        CreateControl(QStringLiteral("KORVEL.ID3v2")));
    m_ucID3v2->setObjectName(QStringLiteral("ucID3v2"));
    m_ucLyrics = qobject_cast<korvel::controls::Lyrics*>(
        CreateControl(QStringLiteral("KORVEL.Lyrics")));
    m_ucLyrics->setObjectName(QStringLiteral("ucLyrics"));

    struct Tab {
        const char* caption;
        const char* key;
        QWidget* page;
    };
    const Tab tabs[] = {
        {"Info", "1_", m_frmMPEGInfo},
        {"TAG", "5_", m_frmTag},
        {"ID3v1x Tag", "2_", PageAround(m_ucID3v1)},
        {"ID3v2x Tag", "3_", PageAround(m_ucID3v2)},
        {"Lyrics Tag", "4_", PageAround(m_ucLyrics)},
    };
    for (const Tab& tab : tabs) {
        const int index = m_tspMain->addTab(tab.page, QString::fromLatin1(tab.caption));
        m_tspMain->tabBar()->setTabData(index, QString::fromLatin1(tab.key));
    }
    m_tspMain->setCurrentIndex(0);
    connect(m_tspMain, &QTabWidget::currentChanged, this, &MainWindow::OnTabChanged);
}

void MainWindow::BuildMenu() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction* open = file->addAction(QStringLiteral("&Open\u2026"), this, &MainWindow::ChooseFile);
    open->setObjectName(QStringLiteral("mnuFileOpen"));
    open->setShortcut(QKeySequence::Open);
    QAction* folder =
        file->addAction(QStringLiteral("Open &Folder\u2026"), this, &MainWindow::ChooseFolder);
    folder->setObjectName(QStringLiteral("mnuFileOpenFolder"));
    folder->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    file->addSeparator();
    QAction* rename = file->addAction(QStringLiteral("&Rename Files from Tags\u2026"), this,
                                      [this] { m_folder->OpenRenameDialog(RenameDialog::NamesFromTags); });
    rename->setObjectName(QStringLiteral("mnuFileRename"));
    QAction* fill = file->addAction(QStringLiteral("&Tags from File Names\u2026"), this,
                                    [this] { m_folder->OpenRenameDialog(RenameDialog::TagsFromNames); });
    fill->setObjectName(QStringLiteral("mnuFileTagsFromNames"));
    // Both work on the files of an opened folder.
    connect(file, &QMenu::aboutToShow, this, [this, rename, fill] {
        rename->setEnabled(m_folder->IsOpen());
        fill->setEnabled(m_folder->IsOpen());
    });
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("mnuFileExit"));
    quit->setShortcut(QKeySequence::Quit);
    // The code page of legacy text: the shown file is read again in the new one.
    auto* encoding = new CodePageMenu(m_settings.get(), this);
    menuBar()->addMenu(encoding);
    connect(encoding, &CodePageMenu::chosen, this, &MainWindow::UndoChanges);
}

// ---------------------------------------------------------------- settings

void MainWindow::RestoreSettings() {
    const QSize size = m_settings->value(QString::fromLatin1(kSizeKey)).toSize();
    resize(size.isValid() ? size.expandedTo(minimumSizeHint()) : QSize(900, 700));
    const korvel::controls::SettingsPropertyBag bag(*m_settings, QString::fromLatin1(kID3v2Group));
    m_ucID3v2->ReadProperties(bag);
    m_folder->RestoreLayout();
}

void MainWindow::StoreSettings() {
    m_settings->setValue(QString::fromLatin1(kSizeKey), size());
    korvel::controls::SettingsPropertyBag bag(*m_settings, QString::fromLatin1(kID3v2Group));
    m_ucID3v2->WriteProperties(bag);
    if (m_library->isVisible()) {
        m_settings->setValue(QString::fromLatin1(kTableWidthKey), m_library->width());
    }
    m_folder->StoreLayout();
    m_settings->sync();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_folder->MayDiscardChanges()) {
        event->ignore();
        return;
    }
    korvel::controls::RunGuarded([this] { StoreSettings(); });
    event->accept();
}

// ---------------------------------------------------------------- tabs

QString MainWindow::TabKey(int index) const {
    return m_tspMain->tabBar()->tabData(index).toString();
}

int MainWindow::PageNumber(const QString& key) { return key.left(key.size() - 1).toInt(); }

int MainWindow::TabIndexOfPage(int pageNumber) const {
    for (int i = 0; i < m_tspMain->count(); ++i) {
        if (PageNumber(TabKey(i)) == pageNumber) return i;
    }
    return -1;
}

bool MainWindow::SelectTab(const QString& key) {
    for (int i = 0; i < m_tspMain->count(); ++i) {
        if (TabKey(i) == key) {
            m_tspMain->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void MainWindow::OnTabChanged(int index) {
    if (PageNumber(TabKey(index)) == kID3v2Page) m_cmdUpdate->setEnabled(true);
}

void MainWindow::SetTabImage(int pageNumber, const QString& imageKey, bool shown) {
    const int index = TabIndexOfPage(pageNumber);
    if (index >= 0) m_tspMain->setTabIcon(index, shown ? TabImage(imageKey) : QIcon());
}

// ---------------------------------------------------------------- loading

bool MainWindow::OpenFile(const QString& path) {
    m_folder->Leave();
    m_txtFile->setText(path);
    return LoadFile();
}

bool MainWindow::ShowFile(const QString& path) {
    m_txtFile->setText(path);
    return LoadFile();
}

void MainWindow::ClearFileView(const QString& note) {
    m_txtFile->clear();
    m_ucID3v1->setID3v1xTag(nullptr);
    m_ucID3v2->setID3V2Tag(nullptr);
    m_ucLyrics->setLyricsTag(nullptr);
    m_lvwTag->clear();
    SetTabImage(kID3v1Page, QStringLiteral("id3v1"), false);
    SetTabImage(kID3v2Page, QStringLiteral("id3v2"), false);
    SetTabImage(kLyricsPage, QStringLiteral("Lyrics"), false);
    m_txtMPEGInfo->setPlainText(note);
    m_cmdUpdate->setEnabled(true);
}

void MainWindow::OpenFolder(const QString& path) {
    OpenFolder(path, m_library->SubfoldersBox()->isChecked());
}

void MainWindow::OpenFolder(const QString& path, bool subfolders) {
    const bool tableShown = m_library->isVisibleTo(this);
    if (!m_folder->Open(QFileInfo(path).absoluteFilePath(), subfolders) || tableShown) return;
    // The table appears beside the editors: the window grows by its width
    // as far as the screen allows.
    const int table = std::max(320, m_settings->value(QString::fromLatin1(kTableWidthKey), 620).toInt());
    const int editors = m_tspMain->width();
    const QRect screenArea = screen() ? screen()->availableGeometry() : QRect(0, 0, 1600, 1000);
    resize(std::min(screenArea.width(), width() + table), height());
    m_splitter->setSizes({table, editors});
}

void MainWindow::ChooseFolder() {
    const QString start = m_folder->IsOpen() ? m_library->Model()->Folder() : m_txtFile->text();
    const QString path =
        QFileDialog::getExistingDirectory(this, QStringLiteral("Open Folder"), start);
    if (!path.isEmpty()) OpenFolder(path);
}

bool MainWindow::ReopenLastFolder() { return m_folder->ReopenLast(); }

bool MainWindow::LoadFile() {
    const QString path = m_txtFile->text();
    if (path.isEmpty()) return false;
    bool loaded = false;
    BusyCursor busy;
    korvel::controls::RunGuarded([&] { loaded = Load(path); });
    return loaded;
}

void MainWindow::DropFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    if (paths.size() == 1 && QFileInfo(paths.front()).isDir()) {
        OpenFolder(paths.front());
        return;
    }
    m_folder->Leave();
    if (paths.size() == 1) m_txtFile->setText(paths.front());
    LoadFile();
}

void MainWindow::UndoChanges() {
    if (!m_folder->Rows().isEmpty()) {
        m_folder->UndoChanges();
    } else if (!m_txtFile->text().isEmpty()) {
        LoadFile();
    }
}

void MainWindow::ChooseFile() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Open"), m_txtFile->text(),
        QStringLiteral("MP3 files (*.mp3 *.MP3);;All files (*)"));
    if (!path.isEmpty()) OpenFile(path);
}

bool MainWindow::Load(const QString& path) {
    auto file = std::make_shared<korvel::FileHandler>();
    if (!file->Create(FilePath(path))) {
        WithNormalCursor([&] { file->LastError()->Show(); });
        return false;
    }

    m_ucID3v1->setID3v1xTag(file->ID3v1xTag());
    m_ucID3v2->setID3V2Tag(file->ID3V2Tag());
    // A Lyrics3 tag that does not load is reported with the attribute rows.
    korvel::LyricsTagPtr lyrics;
    try {
        lyrics = file->LyricsTag();
    } catch (...) {
        lyrics = nullptr;
    }
    m_ucLyrics->setLyricsTag(lyrics);

    m_lvwTag->clear();
    std::vector<korvel::cError> failures;
    QList<QTreeWidgetItem*> items;
    for (const korvel::AttributeRow& row : korvel::AttributeRows(*file, &failures)) {
        items << new QTreeWidgetItem(
            QStringList{Text(row.Attribute), ListText(Text(row.Value))});
    }
    m_lvwTag->addTopLevelItems(items);
    AutoSizeColumns(m_lvwTag);

    bool hasLyrics = false;
    try {
        hasLyrics = file->HasLyricsTag();
    } catch (...) {
        hasLyrics = false;
    }
    SetTabImage(kID3v1Page, QStringLiteral("id3v1"), file->HasID3V1Tag());
    SetTabImage(kID3v2Page, QStringLiteral("id3v2"), file->HasID3V2Tag());
    SetTabImage(kLyricsPage, QStringLiteral("Lyrics"), hasLyrics);

    m_txtMPEGInfo->setPlainText(
        Text(korvel::MPEGInfoText(*file)).replace(QLatin1String(kCrLf), QLatin1String("\n")));

    for (const korvel::cError& failure : failures) {
        WithNormalCursor([&] { failure.Show(); });
    }
    return true;
}

// ---------------------------------------------------------------- the rest

void MainWindow::OpenHomepage() {
    const QString tag = m_lblHomepage->Tag();
    if (!tag.isEmpty()) QDesktopServices::openUrl(QUrl(tag));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    DropFiles(files);
}

}  // namespace korvel::quelm
