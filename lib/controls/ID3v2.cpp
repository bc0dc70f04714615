#include "controls/ID3v2.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <optional>

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/FieldText.h"
#include "controls/QtMessages.h"
#include "controls/SharedFields.h"
#include "controls/Twips.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"

namespace korvel::controls {

namespace {

// Geometry in twips.
constexpr int kPanelWidth = 5040;       // design width of both text panels
constexpr int kPanelGap = 20;           // between the panels in the wide arrangement
constexpr int kCommentHeight = 735;
constexpr int kPictureSide = 1695;
constexpr int kPictureLeft = 20;        // picMain and the lyrics tab inside grpPicture
constexpr int kLyricsWidth = 3840;      // design width of the lyrics tab
constexpr int kLyricsRightMargin = 80;  // grpPicture's width beyond the lyrics tab
constexpr int kLyricsMargin = 120;      // around a lyrics box inside its tab
constexpr int kListBelowMargin = 40;    // below the frame list
constexpr int kListHeight = 735;        // the frame list's share of the arranged height
constexpr int kButtonGap = 120;

constexpr int kErrTypeMismatch = 13;
constexpr int kErrOverflow = 6;

const char* const kSetSource = "ucID3v2xTag::ID3V2Tag";
const char* const kReadSource = "ucID3v2xTag::ID3V2Tag()";
const char* const kInvalidType = "Invalid type of tag passed.";

const char* const kModeProperty = "V2A";
const char* const kFrameListProperty = "FRL";

// A tag value for display. Zero characters that end it (the terminators some
// writers store with a text) are not shown.
QString Text(const std::string& text) {
    size_t length = text.size();
    while (length > 0 && text[length - 1] == '\0') --length;
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(length));
}

// Tag text for a multi-line box: every line feed becomes CR LF. A CR LF that
// is already there stays one line break (doubling its CR would add an empty
// line to the text on the way back).
QString MultiLineText(const std::string& text) {
    const QString source = Text(text);
    QString shown;
    shown.reserve(source.size() + source.size() / 8);
    for (qsizetype i = 0; i < source.size(); ++i) {
        if (source[i] == QLatin1Char('\n') && (i == 0 || source[i - 1] != QLatin1Char('\r'))) {
            shown += QStringLiteral("\r\n");
        } else {
            shown += source[i];
        }
    }
    return shown;
}

// "Binary (1,234 Bytes)", grouped as the locale groups digits.
QString BinaryValue(size_t bytes) {
    return QStringLiteral("Binary (") + QLocale().toString(static_cast<qulonglong>(bytes)) +
           QStringLiteral(" Bytes)");
}

// One row per frame of a version reader: ID, value (as korvel info shows
// it; the size of a frame of plain bytes), description and language.
template <typename Reader>
void AddFrameRows(QTreeWidget* list, const Reader& reader) {
    const int32_t count = reader.FrameCount();
    for (int32_t index = 1; index <= count; ++index) {
        const auto frame = reader.GetFrameByIndex(index);
        if (!frame) continue;
        const korvel::FrameContent content = frame->Content();
        auto* row = new QTreeWidgetItem(list);
        row->setText(0, Text(frame->ID()));
        // One line per row: line breaks show as a pilcrow.
        QString value = Text(korvel::FrameValueText(content));
        value.replace(QStringLiteral("\r\n"), QStringLiteral(" \u00B6 "));
        value.replace(QLatin1Char('\n'), QStringLiteral(" \u00B6 "));
        value.replace(QLatin1Char('\r'), QStringLiteral(" \u00B6 "));
        if (content.kind == korvel::FrameKind::Binary || content.kind == korvel::FrameKind::Unreadable) {
            const size_t raw = frame->Record().stored.size() - (frame->ID().size() == 3 ? 6 : 10);
            value = raw > 0 ? BinaryValue(raw) : QString();
        }
        row->setText(1, value);
        row->setText(2, Text(content.description));
        row->setText(3, Text(content.language));
    }
}

}  // namespace

ID3v2::ID3v2(QWidget* parent) : QWidget(parent) {
    RegisterControlTypes();
    setObjectName(QStringLiteral("ID3v2"));
    m_genres = korvel::Genres::Standard();

    // Created in tab order.
    BuildHeader();
    BuildTopPanel();
    BuildBottomPanel();
    BuildPicturePanel();
    BuildFrameList();

    for (QWidget* field : std::initializer_list<QWidget*>{
             m_txtAlbum, m_txtArtist, m_txtTitle, m_txtComment, m_txtCopyright, m_txtEncodedBy,
             m_txtOriginalArtist, m_txtURL, m_txtYear, m_txtTrack, m_txtComposer, m_cmbGenre,
             m_txtLyrics, m_txtSyncedLyrics}) {
        m_fields.Add(field);
    }

    setLocked(true);
    m_lvwFrames->setHeaderLabels({QStringLiteral("Frame"), QStringLiteral("Value"),
                                  QStringLiteral("Description"), QStringLiteral("Language")});
    m_cmbGenre->FillGenres(*m_genres);
    m_sstLyrics->setCurrentIndex(0);
    Clear();
    FitColumns();

    MeasurePanels();
    ArrangePanels();
    PropertiesStored();
}

ID3v2::~ID3v2() = default;

QLineEdit* ID3v2::AddLine(QWidget* panel, const char* name) {
    auto* box = new QLineEdit(panel);
    box->setObjectName(QString::fromLatin1(name));
    // No length limit: a long tag value is shown and handed back whole.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QPlainTextEdit* ID3v2::AddMultiLine(QWidget* parent, const char* name) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setTabChangesFocus(true);
    return box;
}

QLabel* ID3v2::AddCaption(QWidget* panel, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, panel);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

void ID3v2::BuildHeader() {
    m_chkID3v2 = new QCheckBox(this);
    m_chkID3v2->setObjectName(QStringLiteral("chkID3v2"));
    m_chkID3v2->setToolTip(QStringLiteral("The file carries an ID3v2 tag"));
    connect(m_chkID3v2, &QCheckBox::clicked, this,
            [this] { RunGuarded([this] { OnCheckBoxClicked(); }); });
    m_lblVersion = new QLabel(this);
    m_lblVersion->setObjectName(QStringLiteral("lblVersion"));
    m_lblSizeCaption = new QLabel(QStringLiteral("Size:"), this);
    m_lblSizeCaption->setObjectName(QStringLiteral("lblSizeCaption"));
    m_lblSize = new QLabel(this);
    m_lblSize->setObjectName(QStringLiteral("lblSize"));
}

void ID3v2::BuildTopPanel() {
    m_grpTop = new QWidget(this);
    m_grpTop->setObjectName(QStringLiteral("grpTop"));
    auto* grid = new QGridLayout(m_grpTop);
    grid->setContentsMargins(4, 0, 8, 3);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);

    const QString captions[] = {QStringLiteral("Title"), QStringLiteral("Artist"),
                                QStringLiteral("Album"), QStringLiteral("Year"),
                                QStringLiteral("Genre"), QStringLiteral("Comment")};
    const char* const names[] = {"lblTitle", "lblArtist", "lblAlbum",
                                 "lblYear",  "lblGenre",  "lblComment"};
    for (int row = 0; row < 6; ++row) {
        QLabel* caption = AddCaption(m_grpTop, names[row], captions[row]);
        m_captions.append(caption);
        grid->addWidget(caption, row, 0, row == 5 ? Qt::AlignTop : Qt::Alignment());
    }
    m_txtTitle = AddLine(m_grpTop, "txtTitle");
    grid->addWidget(m_txtTitle, 0, 1);
    m_txtArtist = AddLine(m_grpTop, "txtArtist");
    grid->addWidget(m_txtArtist, 1, 1);
    m_txtAlbum = AddLine(m_grpTop, "txtAlbum");
    grid->addWidget(m_txtAlbum, 2, 1);

    // Year and track share a row; both are wide enough for their usual text.
    auto* yearRow = new QHBoxLayout;
    yearRow->setSpacing(6);
    m_txtYear = AddLine(m_grpTop, "txtYear");
    m_txtYear->setFixedWidth(std::max(TwipsToPixels(615),
                                      m_txtYear->fontMetrics().horizontalAdvance(
                                          QStringLiteral("00000")) + 12));
    yearRow->addWidget(m_txtYear);
    yearRow->addSpacing(12);
    auto* lblTrack = new QLabel(QStringLiteral("Track"), m_grpTop);
    lblTrack->setObjectName(QStringLiteral("lblTrack"));
    yearRow->addWidget(lblTrack);
    m_txtTrack = AddLine(m_grpTop, "txtTrack");
    m_txtTrack->setFixedWidth(std::max(TwipsToPixels(735),
                                       m_txtTrack->fontMetrics().horizontalAdvance(
                                           QStringLiteral("000/000")) + 12));
    yearRow->addWidget(m_txtTrack);
    yearRow->addStretch(1);
    grid->addLayout(yearRow, 3, 1);

    auto* genreRow = new QHBoxLayout;
    genreRow->setSpacing(6);
    m_cmbGenre = new GenreComboBox(m_grpTop);
    m_cmbGenre->setObjectName(QStringLiteral("cmbGenre"));
    m_cmbGenre->setMinimumWidth(m_cmbGenre->WidthForText(QStringLiteral("Alternative Rock")));
    connect(m_cmbGenre, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { RunGuarded([this, index] { OnGenreActivated(index); }); });
    genreRow->addWidget(m_cmbGenre, 1);
    m_lblGenreByte = new QLabel(m_grpTop);
    m_lblGenreByte->setObjectName(QStringLiteral("lblGenreByte"));
    m_lblGenreByte->setMinimumWidth(m_lblGenreByte->fontMetrics().horizontalAdvance(
                                        QStringLiteral("00000")));
    genreRow->addWidget(m_lblGenreByte);
    grid->addLayout(genreRow, 4, 1);

    m_txtComment = AddMultiLine(m_grpTop, "txtComment");
    m_txtComment->setFixedHeight(TwipsToPixels(kCommentHeight));
    grid->addWidget(m_txtComment, 5, 1);
    grid->setColumnStretch(1, 1);
}

void ID3v2::BuildBottomPanel() {
    m_grpBottom = new QWidget(this);
    m_grpBottom->setObjectName(QStringLiteral("grpBottom"));
    auto* grid = new QGridLayout(m_grpBottom);
    grid->setContentsMargins(4, 0, 8, 3);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);

    struct Row {
        const char* caption;
        const char* label;
        const char* box;
        QLineEdit** target;
    };
    const Row rows[] = {
        {"Composer", "lblComposer", "txtComposer", &m_txtComposer},
        {"Orig. Artist", "lblOriginalArtist", "txtOriginalArtist", &m_txtOriginalArtist},
        {"Copyright", "lblCopyright", "txtCopyright", &m_txtCopyright},
        {"URL", "lblURL", "txtURL", &m_txtURL},
        {"Encoded by", "lblEncodedBy", "txtEncodedBy", &m_txtEncodedBy},
    };
    int index = 0;
    for (const Row& row : rows) {
        QLabel* caption = AddCaption(m_grpBottom, row.label, QString::fromLatin1(row.caption));
        m_captions.append(caption);
        grid->addWidget(caption, index, 0);
        *row.target = AddLine(m_grpBottom, row.box);
        grid->addWidget(*row.target, index, 1);
        ++index;
    }
    grid->setColumnStretch(1, 1);
}

void ID3v2::BuildPicturePanel() {
    m_grpPicture = new QWidget(this);
    m_grpPicture->setObjectName(QStringLiteral("grpPicture"));

    m_picMain = new QLabel(m_grpPicture);
    m_picMain->setObjectName(QStringLiteral("picMain"));
    m_picMain->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_picMain->setAlignment(Qt::AlignCenter);
    m_picMain->setFixedSize(TwipsSize(kPictureSide, kPictureSide));

    m_cmdLoadPicture = new QPushButton(QStringLiteral("Load"), m_grpPicture);
    m_cmdLoadPicture->setObjectName(QStringLiteral("cmdLoadPicture"));
    connect(m_cmdLoadPicture, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { OnLoadPicture(); }); });
    m_cmdClearPicture = new QPushButton(QStringLiteral("Clear"), m_grpPicture);
    m_cmdClearPicture->setObjectName(QStringLiteral("cmdClearPicture"));
    connect(m_cmdClearPicture, &QPushButton::clicked, this,
            [this] { RunGuarded([this] { OnClearPicture(); }); });

    // Each tab shows its own box with a margin; the tab widget shows only
    // the chosen tab's box.
    m_sstLyrics = new QTabWidget(m_grpPicture);
    m_sstLyrics->setObjectName(QStringLiteral("sstLyrics"));
    const int margin = TwipsToPixels(kLyricsMargin);
    auto addTab = [this, margin](const char* name, const QString& caption) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(margin, margin, margin, margin);
        QPlainTextEdit* box = AddMultiLine(page, name);
        layout->addWidget(box);
        m_sstLyrics->addTab(page, caption);
        return box;
    };
    m_txtLyrics = addTab("txtLyrics", QStringLiteral("Lyrics (unsynced)"));
    m_txtSyncedLyrics = addTab("txtSyncedLyrics", QStringLiteral("Lyrics (synced)"));
}

void ID3v2::BuildFrameList() {
    m_lvwFrames = new QTreeWidget(this);
    m_lvwFrames->setObjectName(QStringLiteral("lvwFrames"));
    m_lvwFrames->setRootIsDecorated(false);
    m_lvwFrames->setUniformRowHeights(true);
    m_lvwFrames->setAllColumnsShowFocus(true);
    m_lvwFrames->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvwFrames->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvwFrames->header()->setStretchLastSection(false);
}

// ---- The held tag ----

QVariant ID3v2::ID3V2Tag() {
    if (m_tag) {
        StoreInto(*m_tag);
        return QVariant::fromValue(m_tag);
    }
    if (m_newTag) {
        StoreInto(*m_newTag);
        return QVariant::fromValue(m_newTag);
    }
    if (m_foreign.isValid()) throw korvel::KorvelException(kReadSource, kInvalidType);
    return QVariant();
}

QVariant ID3v2::CurrentTag() const {
    if (m_tag) return QVariant::fromValue(m_tag);
    if (m_newTag) return QVariant::fromValue(m_newTag);
    return m_foreign;
}

void ID3v2::setID3V2Tag(const QVariant& tag) {
    const QMetaType type = tag.metaType();
    if (type == QMetaType::fromType<korvel::ID3V2TagPtr>()) {
        setID3V2Tag(tag.value<korvel::ID3V2TagPtr>());
        return;
    }
    if (!tag.isValid() || type == QMetaType::fromType<std::nullptr_t>()) {
        setID3V2Tag(korvel::ID3V2TagPtr());
        return;
    }
    korvel::ID3V230Ptr created;
    if (type == QMetaType::fromType<korvel::ID3V230Ptr>()) {
        created = tag.value<korvel::ID3V230Ptr>();
        if (!created) {
            setID3V2Tag(korvel::ID3V2TagPtr());
            return;
        }
    }
    // Anything else is held as given, and refused.
    Clear();
    m_chkID3v2->setChecked(false);
    m_chkID3v2->setEnabled(false);
    m_tag.reset();
    m_newTag = std::move(created);
    m_foreign = m_newTag ? QVariant() : tag;
    m_picture.reset();
    m_pictureChanged = false;
    throw korvel::KorvelException(kSetSource, kInvalidType);
}

void ID3v2::setID3V2Tag(korvel::ID3V2TagPtr tag) {
    Clear();
    m_chkID3v2->setChecked(false);
    m_chkID3v2->setEnabled(false);
    m_tag = std::move(tag);
    m_newTag.reset();
    m_foreign = QVariant();
    if (!m_tag) {
        m_chkID3v2->setEnabled(true);
        setLocked(true);
    } else {
        ShowTag(m_tag);
    }
    m_pictureChanged = false;
}

void ID3v2::ShowTag(const korvel::ID3V2TagPtr& tag) {
    m_chkID3v2->setChecked(true);
    if (!tag->canSave()) {
        setFieldsEnabled(false);
    } else {
        m_chkID3v2->setEnabled(true);
        setLocked(false);
    }

    const korvel::ID3V2VersionPtr version = tag->Version();
    m_lblVersion->setText(QStringLiteral("ID3v%1.%2.%3 Tag")
                              .arg(version->Major())
                              .arg(version->Minor())
                              .arg(version->Revision()));
    m_lblSize->setText(QString::number(tag->Size()) + QStringLiteral(" Bytes"));

    m_txtAlbum->setText(Text(tag->Album()));
    m_txtArtist->setText(Text(tag->Artist()));
    m_txtTitle->setText(Text(tag->Title()));
    m_txtTrack->setText(Text(tag->Track()));
    const std::string year = tag->Year();
    m_txtYear->setText(year == "0" ? QString() : Text(year));

    ShowGenre(*tag);
    ShowPicture(tag->Picture());

    m_txtLyrics->setPlainText(MultiLineText(tag->LyricsUnsynced()));
    m_txtSyncedLyrics->setPlainText(MultiLineText(tag->LyricsSynced()));
    m_txtComment->setPlainText(MultiLineText(tag->Comment()));

    m_txtComposer->setText(Text(tag->Composer()));
    m_txtOriginalArtist->setText(Text(tag->OriginalArtist()));
    m_txtCopyright->setText(Text(tag->Copyright()));
    m_txtURL->setText(Text(tag->UserURL()));
    m_txtEncodedBy->setText(Text(tag->EncodedBy()));
    for (QLineEdit* box : {m_txtAlbum, m_txtArtist, m_txtTitle, m_txtTrack, m_txtYear,
                           m_txtComposer, m_txtOriginalArtist, m_txtCopyright, m_txtURL,
                           m_txtEncodedBy}) {
        box->setCursorPosition(0);
    }

    FillFrameList(*tag);
    FitColumns();
}

void ID3v2::ShowGenre(korvel::ID3V2Tag& tag) {
    // The read-only reader of version 2.3 answers true without filling the
    // outputs for a genre text that is not "(n)..."; starting from the genre
    // text and no number shows that text instead of an empty box.
    int16_t number = -1;
    std::string description = tag.Genre();
    if (tag.splittedGenre(number, description)) {
        m_cmbGenre->ShowText(Text(description));
        m_lblGenreByte->setText(number >= 0 ? QString::number(number) : QString());
    } else {
        m_cmbGenre->ShowText(Text(tag.Genre()));
    }
}

void ID3v2::FillFrameList(korvel::ID3V2Tag& tag) {
    switch (tag.Version()->Minor()) {
        case 2:
            if (const auto reader = tag.ID3V22Tag()) AddFrameRows(m_lvwFrames, *reader);
            break;
        case 3:
            if (const auto reader = tag.ID3V23Tag()) AddFrameRows(m_lvwFrames, *reader);
            break;
        case 4:
            if (const auto reader = tag.ID3V24Tag()) AddFrameRows(m_lvwFrames, *reader);
            break;
        default:
            break;
    }
}

// Each column fits its header and contents, up to a width that keeps the
// columns behind it in reach: the value of a picture or other binary frame
// can be a very long text.
void ID3v2::FitColumns() {
    const int widest = m_lvwFrames->fontMetrics().averageCharWidth() * 60;
    QHeaderView* header = m_lvwFrames->header();
    for (int column = 0; column < m_lvwFrames->columnCount(); ++column) {
        m_lvwFrames->resizeColumnToContents(column);
        const int least = header->sectionSizeHint(column);
        if (header->sectionSize(column) > std::max(widest, least)) {
            header->resizeSection(column, std::max(widest, least));
        }
    }
}

void ID3v2::ShowPicture(const korvel::PicturePtr& picture) {
    m_picture = picture;
    QPixmap pixmap;
    if (korvel::HasImage(picture)) {
        const std::span<const uint8_t> bytes = picture->View();
        if (pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()))) {
            pixmap = pixmap.scaled(m_picMain->contentsRect().size(), Qt::KeepAspectRatio,
                                   Qt::SmoothTransformation);
        }
    }
    m_picMain->setPixmap(pixmap);
}

void ID3v2::Clear() {
    m_lvwFrames->clear();
    m_lblVersion->clear();
    m_lblSize->clear();
    for (QLineEdit* box : {m_txtTitle, m_txtArtist, m_txtAlbum, m_txtYear, m_txtTrack,
                           m_txtComposer, m_txtOriginalArtist, m_txtCopyright, m_txtURL,
                           m_txtEncodedBy}) {
        box->clear();
    }
    for (QPlainTextEdit* box : {m_txtComment, m_txtLyrics, m_txtSyncedLyrics}) box->clear();
    m_cmbGenre->setCurrentIndex(-1);
    m_cmbGenre->setEditText(QString());
    m_lblGenreByte->clear();
    ShowPicture(nullptr);
    m_pictureChanged = true;
    for (int tab = 0; tab < m_sstLyrics->count(); ++tab) m_sstLyrics->setTabIcon(tab, QIcon());
}

// ---- Reading the fields back ----

QString ID3v2::GenreToStore() const {
    return StoredGenreText(*m_genres, m_lblGenreByte->text(), m_cmbGenre->currentText());
}

namespace {

// Where the two kinds of held tag differ: the updatable tag names its comment
// setter differently and takes the track and the year as 16-bit numbers,
// refusing text that is none.
void StoreComment(korvel::ID3V2Tag& tag, const std::string& text) { tag.setComment(text); }
void StoreComment(korvel::ID3V230& tag, const std::string& text) { tag.setComments(text); }

void StoreTrack(korvel::ID3V2Tag& tag, const std::string& track) { tag.setTrack(track); }
void StoreTrack(korvel::ID3V230& tag, const std::string& track) {
    if (track.empty()) return;
    const std::optional<double> value = korvel::ParseNumber(track);
    if (!value) {
        throw korvel::KorvelException(kErrTypeMismatch, kReadSource,
                                      "Type mismatch: the track \"" + track +
                                          "\" is not a number.");
    }
    const std::optional<int16_t> number = korvel::ToInt16(*value);
    if (!number) {
        throw korvel::KorvelException(kErrOverflow, kReadSource,
                                      "Overflow: the track \"" + track +
                                          "\" does not fit in 16 bits.");
    }
    tag.setTrack(std::to_string(*number));
}

void StoreYear(korvel::ID3V2Tag& tag, const std::string& year) {
    tag.setYear(korvel::IsNumeric(year) ? year : std::string());
}
void StoreYear(korvel::ID3V230& tag, const std::string& year) {
    if (const std::optional<double> value = korvel::ParseNumber(year)) {
        const std::optional<int16_t> number = korvel::ToInt16(*value);
        if (!number) {
            throw korvel::KorvelException(kErrOverflow, kReadSource,
                                          "Overflow: the year \"" + year +
                                              "\" does not fit in 16 bits.");
        }
        tag.setYear(*number);
    }
}

}  // namespace

template <typename Tag>
void ID3v2::StoreInto(Tag& tag) {
    auto trimmed = [](const QLineEdit* box) { return Utf8(TrimSpaces(box->text())); };
    auto trimmedText = [](const QPlainTextEdit* box) {
        return Utf8(TrimSpaces(box->toPlainText()));
    };
    tag.setAlbum(trimmed(m_txtAlbum));
    tag.setArtist(trimmed(m_txtArtist));
    StoreComment(tag, trimmedText(m_txtComment));
    tag.setComposer(trimmed(m_txtComposer));
    tag.setCopyright(trimmed(m_txtCopyright));
    tag.setEncodedBy(trimmed(m_txtEncodedBy));
    tag.setGenre(Utf8(GenreToStore()));
    tag.setLyricsSynced(trimmedText(m_txtSyncedLyrics));
    tag.setLyricsUnsynced(trimmedText(m_txtLyrics));
    tag.setOriginalArtist(trimmed(m_txtOriginalArtist));
    // A picture the user left alone is not handed back: the object the tag
    // gave may be one that holds no image (a format that cannot be shown),
    // and storing that would delete the tag's picture frame.
    if (m_pictureChanged) tag.setPicture(m_picture);
    tag.setTitle(trimmed(m_txtTitle));
    StoreTrack(tag, trimmed(m_txtTrack));
    tag.setUserURL(trimmed(m_txtURL));
    StoreYear(tag, trimmed(m_txtYear));
}

// ---- Field state and the user's actions ----

void ID3v2::setFieldsEnabled(bool enabled) {
    m_fields.Enable(enabled);
    if (!enabled) {
        // Long texts stay readable: the multi-line boxes can still be
        // scrolled and copied from, but not changed.
        for (QPlainTextEdit* box : {m_txtComment, m_txtLyrics, m_txtSyncedLyrics}) {
            box->setEnabled(true);
            box->setReadOnly(true);
            SetFieldColour(box, FieldColour::ButtonFace);
        }
    }
    m_cmdLoadPicture->setEnabled(enabled);
    m_cmdClearPicture->setEnabled(enabled);
}

void ID3v2::setLocked(bool locked) {
    m_fields.Lock(locked);
    m_cmdLoadPicture->setEnabled(!locked);
    m_cmdClearPicture->setEnabled(!locked);
}

bool ID3v2::HasTag() const { return m_chkID3v2->isChecked(); }

bool ID3v2::saveTag() const { return m_chkID3v2->isChecked() && m_chkID3v2->isEnabledTo(this); }

bool ID3v2::removeTag() const {
    return m_chkID3v2->isEnabledTo(this) && !m_chkID3v2->isChecked();
}

void ID3v2::OnCheckBoxClicked() {
    if (m_chkID3v2->isChecked()) {
        if (!m_tag && !m_newTag && !m_foreign.isValid()) {
            m_newTag = std::make_shared<korvel::ID3V230>();
        }
        setLocked(false);
    } else {
        setLocked(true);
    }
}

void ID3v2::OnGenreActivated(int index) {
    const int number = m_cmbGenre->GenreNumberAt(index);
    if (number >= 0) m_lblGenreByte->setText(QString::number(number));
}

void ID3v2::OnLoadPicture() {
    QFileDialog dialog(this, QStringLiteral("Load Picture"));
    dialog.setObjectName(QStringLiteral("dlgCommon"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(QStringLiteral(
        "Bitmaps, JPG and PNG Files (*.BMP *.JPG *.JPEG *.GIF *.PNG *.bmp *.jpg *.jpeg *.gif "
        "*.png)"));
    if (dialog.exec() != QDialog::Accepted) return;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return;
    // A file that cannot be read or holds no image leaves the picture as it
    // was; the user is not told.
    korvel::PicturePtr picture;
    try {
        picture = korvel::PictureObject::FromFile(chosen.first().toStdString());
    } catch (const std::exception&) {
        return;
    }
    if (!korvel::HasImage(picture)) return;
    ShowPicture(picture);
    m_pictureChanged = true;
}

void ID3v2::OnClearPicture() {
    ShowPicture(nullptr);
    m_pictureChanged = true;
}

// ---- Mode, frame list and persistence ----

void ID3v2::setMode(EID3v2Apperance mode) {
    m_mode = mode == v2aWide ? v2aWide : v2aDefault;
    PropertyChanged(QString::fromLatin1(kModeProperty));
    ArrangePanels();
}

void ID3v2::setFrameListVisible(bool visible) {
    m_frameListVisible = visible;
    PropertyChanged(QString::fromLatin1(kFrameListProperty));
    m_lvwFrames->setVisible(visible);
}

void ID3v2::ReadProperties(const PropertyBag& bag) {
    const int mode = bag.ReadProperty(QString::fromLatin1(kModeProperty), int(v2aDefault)).toInt();
    m_mode = mode == v2aWide ? v2aWide : v2aDefault;
    m_frameListVisible = bag.ReadProperty(QString::fromLatin1(kFrameListProperty), true).toBool();
    m_lvwFrames->setVisible(m_frameListVisible);
    ArrangePanels();
    PropertiesStored();
}

void ID3v2::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty(QString::fromLatin1(kModeProperty), int(m_mode), int(v2aDefault));
    bag.WriteProperty(QString::fromLatin1(kFrameListProperty), m_frameListVisible, true);
    PropertiesStored();
}

// ---- Geometry ----

// The design sizes of the panels: both text panels as wide as the twip
// design gives them or as their contents need, with one label column width;
// the picture panel as wide as the lyrics tab plus its margins.
void ID3v2::MeasurePanels() {
    int captionWidth = 0;
    for (QLabel* caption : m_captions) {
        captionWidth = std::max(captionWidth, caption->sizeHint().width());
    }
    for (QWidget* panel : {m_grpTop, m_grpBottom}) {
        static_cast<QGridLayout*>(panel->layout())->setColumnMinimumWidth(0, captionWidth);
        panel->layout()->activate();
    }
    const int width = std::max({TwipsToPixels(kPanelWidth),
                                m_grpTop->layout()->minimumSize().width(),
                                m_grpBottom->layout()->minimumSize().width()});
    m_topSize = QSize(width, m_grpTop->layout()->sizeHint().height());
    m_bottomSize = QSize(width, m_grpBottom->layout()->sizeHint().height());

    const int pictureRow = TwipsToPixels(kPictureSide) + TwipsToPixels(kButtonGap);
    const int buttonsWidth = std::max({75, m_cmdLoadPicture->sizeHint().width(),
                                       m_cmdClearPicture->sizeHint().width()});
    const int lyricsWidth =
        std::max(TwipsToPixels(kLyricsWidth),
                 TwipsToPixels(kPictureSide) + TwipsToPixels(kButtonGap) + buttonsWidth);
    m_pictureSize = QSize(TwipsToPixels(kPictureLeft) + lyricsWidth +
                              TwipsToPixels(kLyricsRightMargin),
                          pictureRow + m_sstLyrics->minimumSizeHint().height());

    m_headerHeight = std::max({m_chkID3v2->sizeHint().height(), m_txtTitle->sizeHint().height(),
                               m_lblVersion->sizeHint().height()}) +
                     4;
    const int fieldHeight = m_headerHeight - 4;
    m_chkID3v2->setGeometry(0, 0, m_chkID3v2->sizeHint().width(), fieldHeight);
    const int versionLeft = m_chkID3v2->sizeHint().width() + 4;
    const int versionWidth =
        m_lblVersion->fontMetrics().horizontalAdvance(QStringLiteral("ID3v2.3.0 Tag")) + 24;
    m_lblVersion->setGeometry(versionLeft, 0, versionWidth, fieldHeight);
    const int sizeLeft = versionLeft + versionWidth;
    const int sizeCaptionWidth = m_lblSizeCaption->sizeHint().width();
    m_lblSizeCaption->setGeometry(sizeLeft, 0, sizeCaptionWidth, fieldHeight);
    m_lblSize->setGeometry(sizeLeft + sizeCaptionWidth + 6, 0,
                           m_lblSize->fontMetrics().horizontalAdvance(
                               QStringLiteral("16777216 Bytes")) + 8,
                           fieldHeight);
}

// Places the panels for the mode and sets the size the control asks for.
void ID3v2::ArrangePanels() {
    const int top = m_headerHeight;
    const QRect grpTop(0, top, m_topSize.width(), m_topSize.height());
    QRect grpBottom;
    QRect list;
    int pictureLeft = 0;
    if (m_mode == v2aWide) {
        grpBottom = QRect(grpTop.right() + 1 + TwipsToPixels(kPanelGap), grpTop.top(),
                          m_bottomSize.width(), m_bottomSize.height());
        pictureLeft = grpBottom.right() + 1 + TwipsToPixels(kPanelGap);
        const int below = grpTop.height() < grpBottom.height() ? grpBottom.bottom() + 1
                                                               : grpTop.bottom() + 1;
        list = QRect(0, below + TwipsToPixels(kPanelGap), pictureLeft, 0);
    } else {
        grpBottom = QRect(0, grpTop.bottom() + 1, m_bottomSize.width(), m_bottomSize.height());
        pictureLeft = grpBottom.right() + 1;
        list = QRect(0, grpBottom.bottom() + 1, grpBottom.width(), 0);
    }
    m_grpTop->setGeometry(grpTop);
    m_grpBottom->setGeometry(grpBottom);
    m_grpPicture->move(pictureLeft, top);
    m_lvwFrames->move(list.topLeft());
    m_lvwFrames->resize(list.width(), m_lvwFrames->height());

    m_arrangedSize = QSize(pictureLeft + m_pictureSize.width(),
                           std::max(list.top() + TwipsToPixels(kListHeight),
                                    top + m_pictureSize.height()));
    updateGeometry();
    FitToSize();
}

// The picture panel reaches to the right and bottom edges; the frame list
// to the bottom edge, less a small margin.
void ID3v2::FitToSize() {
    const QPoint at = m_grpPicture->pos();
    m_grpPicture->resize(std::max(0, width() - at.x()), std::max(0, height() - at.y()));
    const int listTop = m_lvwFrames->y();
    m_lvwFrames->resize(m_lvwFrames->width(),
                        std::max(0, height() - listTop - TwipsToPixels(kListBelowMargin)));
    LayoutPicturePanel();
}

// Inside the picture panel: the picture at the top left with its two buttons
// beside it, the lyrics tab below, filling the rest of the panel.
void ID3v2::LayoutPicturePanel() {
    const int left = TwipsToPixels(kPictureLeft);
    const int side = TwipsToPixels(kPictureSide);
    const int gap = TwipsToPixels(kButtonGap);
    m_picMain->move(left, 0);
    const int buttonLeft = left + side + gap;
    const int buttonWidth = std::max({75, m_cmdLoadPicture->sizeHint().width(),
                                      m_cmdClearPicture->sizeHint().width()});
    const int buttonHeight = m_cmdLoadPicture->sizeHint().height();
    m_cmdLoadPicture->setGeometry(buttonLeft, 0, buttonWidth, buttonHeight);
    m_cmdClearPicture->setGeometry(buttonLeft, buttonHeight + 6, buttonWidth, buttonHeight);
    const int lyricsTop = side + gap;
    const QSize panel = m_grpPicture->size();
    m_sstLyrics->setGeometry(
        left, lyricsTop,
        std::max(0, panel.width() - left - TwipsToPixels(kLyricsRightMargin)),
        std::max(0, panel.height() - lyricsTop - TwipsToPixels(kListBelowMargin)));
}

QSize ID3v2::sizeHint() const { return m_arrangedSize; }

QSize ID3v2::minimumSizeHint() const {
    return QSize(m_grpPicture->x() + TwipsToPixels(kPictureLeft) + TwipsToPixels(kPictureSide),
                 m_lvwFrames->y() + TwipsToPixels(kListBelowMargin));
}

void ID3v2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FitToSize();
}

void ID3v2::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        MeasurePanels();
        ArrangePanels();
    } else if (event->type() == QEvent::PaletteChange) {
        m_fields.RefreshColours();
    }
}

}  // namespace korvel::controls
