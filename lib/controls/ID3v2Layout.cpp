// The ID3v2 editor's children and their places: the panels built in tab
// order, their design sizes, the two arrangements and what follows the
// control's size.
#include "controls/ID3v2.h"

#include <algorithm>
#include <limits>

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/FieldState.h"
#include "controls/QtMessages.h"
#include "controls/Twips.h"

namespace korvel::controls {

using korvel::TagField;

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

// The grid of a text panel: the captions in the first column, the boxes
// taking the panel's width in the second.
QGridLayout* TextPanelGrid(QWidget* panel) {
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(4, 0, 8, 3);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    grid->setColumnStretch(1, 1);
    return grid;
}

}  // namespace

QLineEdit* ID3v2::AddLine(QWidget* panel, korvel::TagField field) {
    auto* box = new QLineEdit(panel);
    box->setObjectName(QString::fromLatin1(korvel::FieldInfo(field).control));
    // No length limit: a long tag value is shown and handed back whole.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QPlainTextEdit* ID3v2::AddMultiLine(QWidget* parent, korvel::TagField field) {
    auto* box = new QPlainTextEdit(parent);
    box->setObjectName(QString::fromLatin1(korvel::FieldInfo(field).control));
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
    QGridLayout* grid = TextPanelGrid(m_grpTop);

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
    m_txtTitle = AddLine(m_grpTop, TagField::Title);
    grid->addWidget(m_txtTitle, 0, 1);
    grid->addWidget(AddLine(m_grpTop, TagField::Artist), 1, 1);
    grid->addWidget(AddLine(m_grpTop, TagField::Album), 2, 1);

    // Year and track share a row; both are wide enough for their usual text.
    auto* yearRow = new QHBoxLayout;
    yearRow->setSpacing(6);
    QLineEdit* year = AddLine(m_grpTop, TagField::Year);
    year->setFixedWidth(std::max(TwipsToPixels(615),
                                 year->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12));
    yearRow->addWidget(year);
    yearRow->addSpacing(12);
    auto* lblTrack = new QLabel(QStringLiteral("Track"), m_grpTop);
    lblTrack->setObjectName(QStringLiteral("lblTrack"));
    yearRow->addWidget(lblTrack);
    QLineEdit* track = AddLine(m_grpTop, TagField::Track);
    track->setFixedWidth(std::max(TwipsToPixels(735),
                                  track->fontMetrics().horizontalAdvance(QStringLiteral("000/000")) + 12));
    yearRow->addWidget(track);
    yearRow->addStretch(1);
    grid->addLayout(yearRow, 3, 1);

    auto* genreRow = new QHBoxLayout;
    genreRow->setSpacing(6);
    m_cmbGenre = new GenreComboBox(m_grpTop);
    m_cmbGenre->setObjectName(QString::fromLatin1(korvel::FieldInfo(TagField::Genre).control));
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

    QPlainTextEdit* comment = AddMultiLine(m_grpTop, TagField::Comment);
    comment->setFixedHeight(TwipsToPixels(kCommentHeight));
    grid->addWidget(comment, 5, 1);
}

void ID3v2::BuildBottomPanel() {
    m_grpBottom = new QWidget(this);
    m_grpBottom->setObjectName(QStringLiteral("grpBottom"));
    QGridLayout* grid = TextPanelGrid(m_grpBottom);

    struct Row {
        const char* caption;
        const char* label;
        TagField field;
    };
    const Row rows[] = {
        {"Composer", "lblComposer", TagField::Composer},
        {"Orig. Artist", "lblOriginalArtist", TagField::OriginalArtist},
        {"Copyright", "lblCopyright", TagField::Copyright},
        {"URL", "lblURL", TagField::UserURL},
        {"Encoded by", "lblEncodedBy", TagField::EncodedBy},
    };
    int index = 0;
    for (const Row& row : rows) {
        QLabel* caption = AddCaption(m_grpBottom, row.label, QString::fromLatin1(row.caption));
        m_captions.append(caption);
        grid->addWidget(caption, index, 0);
        grid->addWidget(AddLine(m_grpBottom, row.field), index, 1);
        ++index;
    }
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
    auto addTab = [this, margin](TagField field, const QString& caption) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(margin, margin, margin, margin);
        layout->addWidget(AddMultiLine(page, field));
        m_sstLyrics->addTab(page, caption);
    };
    addTab(TagField::LyricsUnsynced, QStringLiteral("Lyrics (unsynced)"));
    addTab(TagField::LyricsSynced, QStringLiteral("Lyrics (synced)"));
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
        m_fields->RefreshColours();
    }
}

}  // namespace korvel::controls
