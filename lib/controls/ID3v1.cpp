#include "controls/ID3v1.h"

#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>

#include "controls/BatchString.h"
#include "controls/FieldState.h"
#include "controls/FieldText.h"
#include "controls/QtMessages.h"
#include "controls/Twips.h"
#include "controls/cTextBox.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"

namespace korvel::controls {

namespace {

// Geometry in twips.
constexpr int kRowTwips = 360;
constexpr int kFieldLeft = 840;
constexpr int kWideWidth = 2775;
constexpr int kCheckWidth = 255;
constexpr int kYearWidth = 615;
constexpr int kGenreLabelLeft = 1560;
constexpr int kGenreLabelWidth = 615;
constexpr int kGenreLeft = 2160;
constexpr int kGenreWidth = 1455;
constexpr int kTrackWidth = 375;
constexpr int kButtonTop = 480;
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 240;
constexpr int kClientWidth = 3645;
constexpr int kClientHeight = 2100;

constexpr int kErrTypeMismatch = 13;
constexpr int kErrOverflow = 6;
constexpr int kErrObjectNotSet = 91;

}  // namespace

ID3v1::ID3v1(QWidget* parent)
    : QWidget(parent),
      m_converter(std::make_unique<BatchString>()),
      m_boxCommands(std::make_unique<cTextBox>()),
      m_fields(std::make_unique<FieldSet>()) {
    RegisterControlTypes();
    setObjectName(QStringLiteral("ID3v1"));
    m_genres = korvel::Genres::Standard();

    m_chkID3v1 = new QCheckBox(this);
    m_chkID3v1->setObjectName(QStringLiteral("chkID3v1"));
    connect(m_chkID3v1, &QCheckBox::clicked, this,
            [this] { RunGuarded([this] { OnCheckBoxClicked(); }); });

    // Created in tab order.
    for (const char* caption : {"Title", "Artist", "Album", "Year", "Track", "Comment"}) {
        m_rowLabels.append(AddLabel(QString::fromLatin1(caption)));
    }
    m_txtTitle = AddBox("txtTitle", 30, kTitle);
    m_txtArtist = AddBox("txtArtist", 30, kArtist);
    m_txtAlbum = AddBox("txtAlbum", 30, kAlbum);
    m_txtYear = AddBox("txtYear", 4, kYear);
    m_lblGenre = AddLabel(QStringLiteral("Genre"));
    m_cmbGenre = new GenreComboBox(this);
    m_cmbGenre->setObjectName(QStringLiteral("cmbGenre"));
    connect(m_cmbGenre, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { RunGuarded([this, index] { OnGenreActivated(index); }); });
    // A track number of an ID3v1.1 tag goes up to 255, so three digits.
    m_txtTrack = AddBox("txtTrack", 3, kTrack);
    m_lblGenreByte = new QLabel(this);
    m_lblGenreByte->setObjectName(QStringLiteral("lblGenreByte"));
    m_txtComment = AddBox("txtComment", 30, kComment);

    m_cmdPrevious = new QToolButton(this);
    m_cmdPrevious->setObjectName(QStringLiteral("cmdPrevious"));
    m_cmdPrevious->setArrowType(Qt::LeftArrow);
    m_cmdPrevious->setToolTip(QStringLiteral("Previous tag"));
    connect(m_cmdPrevious, &QToolButton::clicked, this,
            [this] { RunGuarded([this] { Step(-1); }); });
    m_cmdNext = new QToolButton(this);
    m_cmdNext->setObjectName(QStringLiteral("cmdNext"));
    m_cmdNext->setArrowType(Qt::RightArrow);
    m_cmdNext->setToolTip(QStringLiteral("Next tag"));
    connect(m_cmdNext, &QToolButton::clicked, this, [this] { RunGuarded([this] { Step(1); }); });

    for (QWidget* field : std::initializer_list<QWidget*>{m_txtTitle, m_txtArtist, m_txtAlbum,
                                                          m_txtYear, m_cmbGenre, m_txtTrack,
                                                          m_txtComment}) {
        m_fields->Add(field);
    }
    // The four boxes with the format menu: no menu of their own, the right
    // mouse button opens mnuFormat instead.
    for (QLineEdit* box : {m_txtTitle, m_txtArtist, m_txtAlbum, m_txtComment}) {
        box->setContextMenuPolicy(Qt::PreventContextMenu);
        box->installEventFilter(this);
    }
    BuildMenu();

    setVisibilityMode(temEditSingle);
    m_cmbGenre->FillGenres(*m_genres);
    m_lblGenreByte->setText(QString::number(korvel::ID3V1Tag().Genre()));
    m_tagIndex = 0;
    m_tagList.clear();
    LayoutChildren();
}

ID3v1::~ID3v1() = default;

bool ID3v1::Enabled() const { return m_fields->EnabledFlag(); }

void ID3v1::EditUndo() { m_boxCommands->Undo(); }
void ID3v1::EditCut() { m_boxCommands->Cut(); }
void ID3v1::EditCopy() { m_boxCommands->Copy(); }
void ID3v1::EditPaste() { m_boxCommands->Paste(); }
void ID3v1::EditDelete() { m_boxCommands->Delete(true); }
void ID3v1::EditSelectAll() { m_boxCommands->SelectAll(); }

QLineEdit* ID3v1::AddBox(const char* name, int maxLength, Field field) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaxLength(maxLength);
    connect(box, &QLineEdit::textChanged, this,
            [this, box, field] { RunGuarded([this, box, field] { OnTextChanged(box, field); }); });
    return box;
}

QLabel* ID3v1::AddLabel(const QString& caption) {
    auto* label = new QLabel(caption, this);
    label->setObjectName(QStringLiteral("lbl") + caption);
    return label;
}

QAction* ID3v1::AddMenuItem(const char* name, const QString& caption) {
    QAction* action = m_mnuFormat->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

void ID3v1::BuildMenu() {
    m_mnuFormat = new QMenu(QStringLiteral("Format"), this);
    m_mnuFormat->setObjectName(QStringLiteral("mnuFormat"));
    m_mnuEditUndo = AddMenuItem("mnuEditUndo", QStringLiteral("Undo"));
    m_mnuFormat->addSeparator();
    m_mnuEditCut = AddMenuItem("mnuEditCut", QStringLiteral("Cut"));
    m_mnuEditCopy = AddMenuItem("mnuEditCopy", QStringLiteral("Copy"));
    m_mnuEditPaste = AddMenuItem("mnuEditPaste", QStringLiteral("Paste"));
    m_mnuEditDelete = AddMenuItem("mnuEditDelete", QStringLiteral("Delete"));
    m_mnuFormat->addSeparator();
    m_mnuEditSelectAll = AddMenuItem("mnuEditSelectAll", QStringLiteral("Select All"));
    m_mnuFormat->addSeparator();
    m_mnuFormatFirstLetter =
        AddMenuItem("mnuFormatFirstLetter", QStringLiteral("First Letter Upper Case"));
    m_mnuFormatUpperCase = AddMenuItem("mnuFormatUpperCase", QStringLiteral("UPPER CASE"));
    m_mnuFormatLowerCase = AddMenuItem("mnuFormatLowerCase", QStringLiteral("lower case"));
    m_mnuFormat->addSeparator();
    m_mnuCancel = AddMenuItem("mnuCancel", QStringLiteral("Cancel"));

    const std::pair<QAction*, void (ID3v1::*)()> edits[] = {
        {m_mnuEditUndo, &ID3v1::EditUndo},     {m_mnuEditCut, &ID3v1::EditCut},
        {m_mnuEditCopy, &ID3v1::EditCopy},     {m_mnuEditPaste, &ID3v1::EditPaste},
        {m_mnuEditDelete, &ID3v1::EditDelete}, {m_mnuEditSelectAll, &ID3v1::EditSelectAll},
    };
    for (const auto& [action, command] : edits) {
        connect(action, &QAction::triggered, this,
                [this, command = command] { RunGuarded([this, command] { OnEditItem(command); }); });
    }
    const std::pair<QAction*, int32_t> formats[] = {
        {m_mnuFormatFirstLetter, BatchString::kFirstLetterUpperCase},
        {m_mnuFormatUpperCase, BatchString::kUpperCase},
        {m_mnuFormatLowerCase, BatchString::kLowerCase},
    };
    for (const auto& [action, conversion] : formats) {
        connect(action, &QAction::triggered, this, [this, conversion = conversion] {
            RunGuarded([this, conversion] { OnFormatItem(conversion); });
        });
    }
}

// The geometry follows the twip positions; where the font needs more room than
// they leave (the label column, the "Genre" label, the row height), the
// columns to the right move over and the rows move apart.
void ID3v1::LayoutChildren() {
    const int fieldHeight =
        std::max(m_txtTitle->sizeHint().height(), m_cmbGenre->sizeHint().height());
    const int pitch = std::max(TwipsToPixels(kRowTwips), fieldHeight + 2);
    auto rowTop = [pitch](int twips) { return twips * pitch / kRowTwips; };

    const int checkWidth = TwipsToPixels(kCheckWidth);
    int labelWidth = 0;
    for (QLabel* label : m_rowLabels) labelWidth = std::max(labelWidth, label->sizeHint().width());
    const int labelLeft = checkWidth + 2;
    const int fieldLeft = std::max(TwipsToPixels(kFieldLeft), labelLeft + labelWidth + 6);
    const int dx = fieldLeft - TwipsToPixels(kFieldLeft);

    const int genreLabelLeft = TwipsToPixels(kGenreLabelLeft) + dx;
    const int genreLeft = std::max(TwipsToPixels(kGenreLeft) + dx,
                                   genreLabelLeft + m_lblGenre->sizeHint().width() + 6);
    const int dx2 = genreLeft - TwipsToPixels(kGenreLeft) - dx;
    // The combo shows at least the genre of the many-files mode whole.
    const int genreWidth =
        std::max(TwipsToPixels(kGenreWidth), m_cmbGenre->WidthForText(QStringLiteral("<Undefined>")));
    const int dx3 = genreWidth - TwipsToPixels(kGenreWidth);
    const int wideWidth = TwipsToPixels(kWideWidth) + dx2 + dx3;

    m_chkID3v1->setGeometry(0, 0, std::max(checkWidth, m_chkID3v1->sizeHint().width()),
                            fieldHeight);
    const int rows[] = {0, 360, 720, 1080, 1440, 1800};
    for (int i = 0; i < m_rowLabels.size(); ++i) {
        m_rowLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_rowLabels[i]->setGeometry(labelLeft, rowTop(rows[i]), fieldLeft - 6 - labelLeft,
                                    fieldHeight);
    }
    m_txtTitle->setGeometry(fieldLeft, rowTop(0), wideWidth, fieldHeight);
    m_txtArtist->setGeometry(fieldLeft, rowTop(360), wideWidth, fieldHeight);
    m_txtAlbum->setGeometry(fieldLeft, rowTop(720), wideWidth, fieldHeight);
    m_txtYear->setGeometry(fieldLeft, rowTop(1080), TwipsToPixels(kYearWidth), fieldHeight);
    m_lblGenre->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_lblGenre->setGeometry(genreLabelLeft, rowTop(1080),
                            std::max(TwipsToPixels(kGenreLabelWidth), genreLeft - 6 - genreLabelLeft),
                            fieldHeight);
    m_cmbGenre->setGeometry(genreLeft, rowTop(1080), genreWidth, fieldHeight);
    m_txtTrack->setGeometry(fieldLeft, rowTop(1440),
                            std::max(TwipsToPixels(kTrackWidth),
                                     m_txtTrack->fontMetrics().horizontalAdvance(
                                         QStringLiteral("000")) + 10),
                            fieldHeight);
    m_lblGenreByte->setGeometry(genreLeft, rowTop(1440), genreWidth, fieldHeight);
    m_txtComment->setGeometry(fieldLeft, rowTop(1800), wideWidth, fieldHeight);

    const int buttonWidth = TwipsToPixels(kButtonWidth);
    const int buttonHeight = rowTop(kButtonHeight);
    m_cmdPrevious->setGeometry(0, rowTop(kButtonTop), buttonWidth, buttonHeight);
    m_cmdNext->setGeometry(buttonWidth, rowTop(kButtonTop), buttonWidth, buttonHeight);

    m_size = QSize(TwipsToPixels(kClientWidth) + dx + dx2 + dx3,
                   std::max(rowTop(kClientHeight), rowTop(1800) + fieldHeight + 1));
    updateGeometry();
}

QSize ID3v1::sizeHint() const { return m_size; }

void ID3v1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        LayoutChildren();
    } else if (event->type() == QEvent::PaletteChange) {
        m_fields->RefreshColours();
    }
}

korvel::ID3V1Tag& ID3v1::RequireTag(const char* member) const {
    if (!m_tag) {
        throw korvel::KorvelException(kErrObjectNotSet, std::string("ID3v1::") + member,
                                      "Object variable not set: the editor holds no tag.");
    }
    return *m_tag;
}

QString ID3v1::Title() const { return m_txtTitle->text(); }
QString ID3v1::Artist() const { return m_txtArtist->text(); }
QString ID3v1::Album() const { return m_txtAlbum->text(); }
QString ID3v1::Year() const { return m_txtYear->text(); }
QString ID3v1::Comment() const { return m_txtComment->text(); }

void ID3v1::setTitle(const QString& value) { RequireTag("Title").setTitle(Utf8(value)); }
void ID3v1::setArtist(const QString& value) { RequireTag("Artist").setArtist(Utf8(value)); }
void ID3v1::setAlbum(const QString& value) { RequireTag("Album").setAlbum(Utf8(value)); }
void ID3v1::setYear(const QString& value) { RequireTag("Year").setYear(Utf8(value)); }
void ID3v1::setComment(const QString& value) { RequireTag("Comment").setComment(Utf8(value)); }

int16_t ID3v1::Track() const {
    const QString text = m_txtTrack->text();
    if (text.isEmpty()) return 0;
    const std::optional<double> value = korvel::ParseNumber(Utf8(text));
    if (!value) {
        throw korvel::KorvelException(kErrTypeMismatch, "ID3v1::Track",
                                      "Type mismatch: the track \"" + Utf8(text) +
                                          "\" is not a number.");
    }
    const std::optional<int16_t> track = korvel::ToInt16(*value);
    if (!track) {
        throw korvel::KorvelException(kErrOverflow, "ID3v1::Track",
                                      "Overflow: the track \"" + Utf8(text) +
                                          "\" does not fit in 16 bits.");
    }
    return *track;
}

void ID3v1::setTrack(int value) {
    korvel::ID3V1Tag& tag = RequireTag("Track");
    if (value < INT16_MIN || value > INT16_MAX) {
        throw korvel::KorvelException(kErrOverflow, "ID3v1::Track",
                                      "Overflow: the track " + std::to_string(value) +
                                          " does not fit in 16 bits.");
    }
    tag.setTrack(static_cast<int16_t>(value));
}

uint8_t ID3v1::Genre() const {
    bool ok = false;
    const int number = m_lblGenreByte->text().toInt(&ok);
    return ok && number >= 0 && number <= 255 ? static_cast<uint8_t>(number) : 255;
}

void ID3v1::setGenre(int value) {
    korvel::ID3V1Tag& tag = RequireTag("Genre");
    if (value < 0 || value > 255) {
        throw korvel::KorvelException(kErrOverflow, "ID3v1::Genre",
                                      "Overflow: the genre " + std::to_string(value) +
                                          " does not fit in one byte.");
    }
    tag.setGenre(static_cast<uint8_t>(value));
}

korvel::ID3V1TagPtr ID3v1::ID3v1xTag() {
    if (!m_tag) return nullptr;
    m_tag->setAlbum(Utf8(m_txtAlbum->text()));
    m_tag->setArtist(Utf8(m_txtArtist->text()));
    m_tag->setComment(Utf8(m_txtComment->text()));
    m_tag->setGenre(Genre());
    m_tag->setTitle(Utf8(m_txtTitle->text()));
    int16_t track = 0;
    if (std::optional<double> value = korvel::ParseNumber(Utf8(m_txtTrack->text()))) {
        track = korvel::ToInt16(*value).value_or(0);
    }
    m_tag->setTrack(track);
    m_tag->setYear(Utf8(m_txtYear->text()));
    m_tag->setTagType(m_tag->Track() >= 1 && m_tag->Track() <= 255 ? EID3TagConstants::ID3V11
                                                                   : EID3TagConstants::ID3v1);
    return m_tag;
}

void ID3v1::setID3v1xTag(korvel::ID3V1TagPtr tag) {
    m_tag = std::move(tag);
    ShowCurrentTag();
}

void ID3v1::ShowCurrentTag() {
    if (!m_tag) {
        Clear();
        m_fields->Lock(true);
        m_chkID3v1->setChecked(false);
        return;
    }
    // A tag of type ID3Unknown (the file has none) is shown too, so that no
    // text of a tag shown before stays in the boxes and is written into this
    // file once the user ticks the box.
    m_txtTitle->setText(QString::fromStdString(m_tag->Title()));
    m_txtArtist->setText(QString::fromStdString(m_tag->Artist()));
    m_txtAlbum->setText(QString::fromStdString(m_tag->Album()));
    m_txtYear->setText(QString::fromStdString(m_tag->Year()));
    m_txtTrack->setText(m_tag->TagType() == EID3TagConstants::ID3V11
                            ? QStringLiteral("%1").arg(m_tag->Track(), 2, 10, QLatin1Char('0'))
                            : QString());
    m_lblGenreByte->setText(QString::number(m_tag->Genre()));
    m_txtComment->setText(QString::fromStdString(m_tag->Comment()));
    if (GenrePtr genre = m_tag->GenreList()->Item(std::to_string(m_tag->Genre()))) {
        m_cmbGenre->ShowText(QString::fromStdString(genre->Description()));
        m_lblGenreByte->setText(QString::number(genre->Num()));
    }
    if (m_tag->TagType() == EID3TagConstants::ID3Unknown) {
        m_chkID3v1->setChecked(false);
        OnCheckBoxClicked();
        return;
    }
    m_fields->Lock(false);
    m_chkID3v1->setChecked(true);
}

void ID3v1::Clear() {
    m_txtAlbum->clear();
    m_txtArtist->clear();
    m_txtComment->clear();
    m_cmbGenre->setEditText(QString());
    m_cmbGenre->setCurrentIndex(-1);
    m_txtTitle->clear();
    m_txtTrack->clear();
    m_txtYear->clear();
    m_tagIndex = 0;
    m_tagList.clear();
    m_tag.reset();
}

void ID3v1::setFieldsEnabled(bool enabled) { m_fields->Enable(enabled); }

bool ID3v1::Locked() const { return m_txtAlbum->isReadOnly(); }

void ID3v1::setLocked(bool locked) { m_fields->Lock(locked); }

int ID3v1::AddTag(korvel::ID3V1TagPtr tag) {
    if (tag) m_tagList.append(std::move(tag));
    return TagCount();
}

ETagEditModeConstants ID3v1::VisibilityMode() const {
    return FieldColourOf(m_txtArtist) == FieldColour::ButtonFace ? temEditMany : temEditSingle;
}

void ID3v1::setVisibilityMode(ETagEditModeConstants mode) {
    m_changed.fill(false);
    if (mode != temEditMany) {
        m_fields->SetColour(FieldColour::Window);
        ShowCurrentTag();
        return;
    }
    // Each box is emptied after it turned to the button face, so a box that
    // held text turns back to the window colour through its change handling.
    for (QWidget* field : std::initializer_list<QWidget*>{m_txtAlbum, m_txtArtist, m_txtComment,
                                                          m_cmbGenre, m_txtTitle, m_txtTrack,
                                                          m_txtYear}) {
        SetFieldColour(field, FieldColour::ButtonFace);
        if (auto* box = qobject_cast<QLineEdit*>(field)) box->clear();
    }
    if (GenrePtr undefined = m_genres->Item(std::string("255"))) {
        m_cmbGenre->ShowText(QString::fromStdString(undefined->Description()));
        m_lblGenreByte->setText(QString::number(undefined->Num()));
    }
}

bool ID3v1::HasTag() const { return m_chkID3v1->isChecked(); }

bool ID3v1::saveTag() const { return m_chkID3v1->isChecked() && m_chkID3v1->isEnabledTo(this); }

bool ID3v1::removeTag() const {
    if (!m_chkID3v1->isEnabledTo(this) || m_chkID3v1->isChecked()) return false;
    return !m_tag || m_tag->TagType() != EID3TagConstants::ID3Unknown;
}

void ID3v1::OnCheckBoxClicked() {
    if (m_chkID3v1->isChecked()) {
        if (!m_tag) m_tag = std::make_shared<korvel::ID3V1Tag>();
        m_fields->Lock(false);
    } else {
        m_fields->Lock(true);
    }
}

void ID3v1::OnGenreActivated(int index) {
    const int number = m_cmbGenre->GenreNumberAt(index);
    if (number < 0) return;
    m_lblGenreByte->setText(QString::number(number));
    if (m_fields->EnabledFlag() && FieldColourOf(m_cmbGenre) == FieldColour::ButtonFace) {
        SetFieldColour(m_cmbGenre, FieldColour::Window);
        m_changed[kGenre] = true;
    }
}

void ID3v1::OnTextChanged(QLineEdit* box, Field field) {
    if (m_fields->EnabledFlag() && FieldColourOf(box) == FieldColour::ButtonFace) {
        SetFieldColour(box, FieldColour::Window);
        m_changed[field] = true;
    }
}

void ID3v1::Step(int delta) {
    const int32_t target = m_tagIndex + delta;
    if (target < 1 || target > TagCount()) return;
    m_tagIndex = target;
    m_tag = m_tagList[target - 1];
    ShowCurrentTag();
}

bool ID3v1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (box != nullptr && mouse->button() == Qt::RightButton && box->isEnabled()) {
            const QPoint at = mouse->globalPosition().toPoint();
            RunGuarded([this, box, at] { ShowFormatMenu(box, at); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ID3v1::ShowFormatMenu(QLineEdit* box, const QPoint& globalPos) {
    m_converter->Initialize(TrimSpaces(box->text()));
    m_boxCommands->setTextBox(box);
    box->setFocus(Qt::MouseFocusReason);

    m_mnuEditUndo->setEnabled(m_boxCommands->CanUndo());
    m_mnuEditCut->setEnabled(m_boxCommands->CanCut());
    m_mnuEditCopy->setEnabled(m_boxCommands->CanCopy());
    m_mnuEditPaste->setEnabled(m_boxCommands->CanPaste());
    m_mnuEditDelete->setEnabled(m_boxCommands->CanCut());
    m_mnuEditSelectAll->setEnabled(m_boxCommands->CanSelectAll());
    // A read-only box keeps its text: the case conversions are offered only
    // where the user may edit.
    const bool canFormat = !m_converter->Value().isEmpty() && !box->isReadOnly();
    m_mnuFormatFirstLetter->setEnabled(canFormat);
    m_mnuFormatUpperCase->setEnabled(canFormat);
    m_mnuFormatLowerCase->setEnabled(canFormat);

    m_formatChosen = false;
    QPointer<QLineEdit> target = box;
    m_mnuFormat->exec(globalPos);
    if (m_formatChosen && target) {
        const QString converted = TrimSpaces(m_converter->Convert());
        if (!converted.isEmpty()) target->setText(converted);
    }
    m_formatChosen = false;
}

void ID3v1::OnEditItem(void (ID3v1::*command)()) {
    (this->*command)();
    m_converter->Initialize(QString());
}

void ID3v1::OnFormatItem(int32_t conversion) {
    m_converter->setConversion(conversion);
    m_formatChosen = true;
}

}  // namespace korvel::controls
