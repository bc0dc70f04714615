#include "MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "AppInfo.h"
#include "BusyCursor.h"
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
#include "errors/KorvelException.h"
#include "errors/MessageHandler.h"
#include "id3v230/ID3V230.h"

namespace korvel::quelm {

namespace {

constexpr const char* kCrLf = "\r\n";

// All margins of the window: 120 twips.
const int kMargin = korvel::controls::TwipsToPixels(120);

// Page numbers of the five pages.
enum Page { kInfoPage = 1, kID3v1Page = 2, kID3v2Page = 3, kLyricsPage = 4, kTagPage = 5 };

const char* const kSizeKey = "Window/Size";
const char* const kID3v2Group = "ucID3v2";

// The file name as the operating system spells it.
std::string FilePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

// A message box titled with the application's title.
void Tell(const std::string& text, korvel::MessageIcon icon) {
    WithNormalCursor([&] { korvel::ShowMessage(text, icon); });
}

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

    m_tspMain = new QTabWidget(central);
    m_tspMain->setObjectName(QStringLiteral("tspMain"));
    m_tspMain->setIconSize(QSize(16, 16));
    layout->addWidget(m_tspMain, 1);
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
    connect(m_txtFile, &QLineEdit::returnPressed, this, [this] { LoadFile(); });

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
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("mnuFileExit"));
    quit->setShortcut(QKeySequence::Quit);
}

// ---------------------------------------------------------------- settings

void MainWindow::RestoreSettings() {
    const QSize size = m_settings->value(QString::fromLatin1(kSizeKey)).toSize();
    resize(size.isValid() ? size.expandedTo(minimumSizeHint()) : QSize(900, 700));
    const korvel::controls::SettingsPropertyBag bag(*m_settings, QString::fromLatin1(kID3v2Group));
    m_ucID3v2->ReadProperties(bag);
}

void MainWindow::StoreSettings() {
    m_settings->setValue(QString::fromLatin1(kSizeKey), size());
    korvel::controls::SettingsPropertyBag bag(*m_settings, QString::fromLatin1(kID3v2Group));
    m_ucID3v2->WriteProperties(bag);
    m_settings->sync();
}

void MainWindow::closeEvent(QCloseEvent* event) {
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
    m_txtFile->setText(path);
    return LoadFile();
}

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
    if (paths.size() == 1) m_txtFile->setText(paths.front());
    LoadFile();
}

void MainWindow::UndoChanges() {
    if (!m_txtFile->text().isEmpty()) LoadFile();
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

// ---------------------------------------------------------------- saving

void MainWindow::UpdateTags() {
    const QString text = m_txtFile->text();
    if (text.isEmpty()) return;
    m_cmdUpdate->setEnabled(false);
    bool finished = false;
    {
        BusyCursor busy;
        try {
            finished = Save(FilePath(text));
        } catch (...) {
            const korvel::FailureInfo failure = korvel::DescribeFailure(std::current_exception());
            try {
                Tell(std::string("Tag not saved!") + kCrLf + std::to_string(failure.Number) +
                         " - " + failure.Source + " - " + failure.Description,
                     korvel::MessageIcon::Critical);
            } catch (...) {
                // A failing message box has nowhere left to report to.
            }
        }
    }
    if (finished) m_cmdUpdate->setEnabled(true);
}

bool MainWindow::Save(const std::string& path) {
    using korvel::MessageIcon;
    std::string message;
    bool updated = false;

    const QVariant held = m_ucID3v2->ID3V2Tag();
    const auto tag = held.value<korvel::ID3V2TagPtr>();
    const auto newTag = held.value<korvel::ID3V230Ptr>();
    auto file = std::make_shared<korvel::FileHandler>();

    if (!tag && !newTag) {
        if (m_ucID3v2->HasTag()) {
            Tell(std::string("Internal failure!") + kCrLf +
                     "Unable to save the tag because the Tag object is not initialized!",
                 MessageIcon::Exclamation);
            return false;
        }
        // The file has no ID3v2 tag and none is to be made. The ID3v1 editor
        // may still have work (a file with only an ID3v1 tag): its edits are
        // saved rather than silently dropped. With nothing to do for either
        // tag, nothing is written and nothing is shown.
        if (!m_ucID3v1->removeTag() && !m_ucID3v1->saveTag()) return false;
        if (!file->Create(path)) {
            Tell(std::string("Unable to initialize the Tag.") + kCrLf + file->LastError()->Stream(),
                 MessageIcon::Exclamation);
            return false;
        }
    } else if (newTag) {
        file->Create(path);
        if (m_ucID3v2->HasTag()) {
            if (file->createID3V2Tag(newTag)) {
                message += std::string("ID3v2 Tag successfully created.") + kCrLf;
                updated = true;
            } else {
                Tell("Unable to create the Tag.", MessageIcon::Exclamation);
            }
        }
    } else if (m_ucID3v2->removeTag()) {
        file->Create(path);
        const korvel::ID3V2TagPtr current = file->ID3V2Tag();
        const korvel::ID3V23TagPtr reader = current ? current->ID3V23Tag() : nullptr;
        if (reader && reader->removeTag()) {
            message += std::string("ID3v2 Tag successfully removed.") + kCrLf;
            updated = true;
        } else {
            const std::string why =
                reader ? reader->LastError()->Stream() : file->LastError()->Stream();
            Tell(std::string("Unable to remove the ID3v2 Tag.") + kCrLf + kCrLf + why,
                 MessageIcon::Exclamation);
        }
    } else {
        if (!file->Create(path)) {
            Tell(std::string("Unable to initialize the Tag.") + kCrLf + file->LastError()->Stream(),
                 MessageIcon::Exclamation);
            return false;
        }
        const korvel::ID3V2TagPtr target = file->ID3V2Tag();
        if (!target) throw korvel::KorvelException("Update", "The file has no ID3v2 tag any more.");
        if (!target->canSave()) {
            Tell(std::string("Unable to save the ID3v2 Tag.") + kCrLf + kCrLf +
                     target->LastError()->Stream(),
                 MessageIcon::Critical);
        } else {
            target->setAlbum(tag->Album());
            target->setArtist(tag->Artist());
            target->setComment(korvel::convertLineFeeds(tag->Comment(), true));
            target->setComposer(tag->Composer());
            target->setCopyright(tag->Copyright());
            target->setEncodedBy(tag->EncodedBy());
            target->setGenre(tag->Genre());
            target->setLyricsSynced(korvel::convertLineFeeds(tag->LyricsSynced(), true));
            target->setLyricsUnsynced(korvel::convertLineFeeds(tag->LyricsUnsynced(), true));
            target->setOriginalArtist(tag->OriginalArtist());
            target->setPicture(tag->Picture());
            target->setTitle(tag->Title());
            target->setTrack(tag->Track());
            target->setUserURL(tag->UserURL());
            target->setYear(tag->Year());
            if (target->saveTag()) {
                message = std::string("ID3v2 Tag successfully saved.") + kCrLf;
                updated = true;
            } else {
                Tell("Unable to save the ID3v2 Tag.", MessageIcon::Exclamation);
            }
        }
    }

    if (m_ucID3v1->removeTag()) {
        if (file->removeID3V1xTag()) {
            message += "ID3v1x Tag successfully removed.";
            updated = true;
        } else {
            WithNormalCursor([&] { file->LastError()->Show(); });
        }
    } else if (m_ucID3v1->saveTag()) {
        if (const korvel::ID3V1TagPtr edited = m_ucID3v1->ID3v1xTag()) file->setID3v1xTag(edited);
        if (file->writeID3v1xTag()) {
            message += std::string("ID3v1x Tag successfully saved.") + kCrLf;
            updated = true;
        } else {
            WithNormalCursor([&] { file->LastError()->Show(); });
        }
    }

    if (updated) {
        Tell(message, MessageIcon::Information);
        LoadFile();
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
