#include "controls/Lyrics.h"

#include <algorithm>

#include <QEvent>

#include "controls/FieldState.h"
#include "controls/QtMessages.h"
#include "controls/Twips.h"

namespace korvel::controls {

namespace {

// Geometry in twips, in the arrangement of the ID3v1 editor.
constexpr int kRowTwips = 360;
constexpr int kFieldLeft = 840;
constexpr int kCheckWidth = 255;
constexpr int kDefaultWidth = 3645;
constexpr int kDefaultHeight = 3600;
constexpr int kMinimumLyricsHeight = 720;

// Lyrics3 text breaks lines with CR LF; the text box wants bare line feeds.
QString DisplayText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

}  // namespace

Lyrics::Lyrics(QWidget* parent) : QWidget(parent), m_fields(std::make_unique<FieldSet>()) {
    RegisterControlTypes();
    setObjectName(QStringLiteral("Lyrics"));

    m_chkLyrics = new QCheckBox(this);
    m_chkLyrics->setObjectName(QStringLiteral("chkLyrics"));
    connect(m_chkLyrics, &QCheckBox::clicked, this,
            [this] { RunGuarded([this] { OnCheckBoxClicked(); }); });
    for (const char* caption : {"Title", "Artist", "Album", "Author", "Lyrics"}) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setObjectName(QStringLiteral("lbl") + QString::fromLatin1(caption));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_labels.append(label);
    }
    m_txtTitle = AddBox("txtTitle");
    m_txtArtist = AddBox("txtArtist");
    m_txtAlbum = AddBox("txtAlbum");
    m_txtAuthor = AddBox("txtAuthor");
    m_txtLyrics = new QPlainTextEdit(this);
    m_txtLyrics->setObjectName(QStringLiteral("txtLyrics"));
    m_txtLyrics->setTabChangesFocus(true);
    for (QWidget* field : std::initializer_list<QWidget*>{m_txtTitle, m_txtArtist, m_txtAlbum,
                                                          m_txtAuthor, m_txtLyrics}) {
        m_fields->Add(field);
    }
    m_fields->Lock(true);
    LayoutChildren();
}

Lyrics::~Lyrics() = default;

bool Lyrics::Enabled() const { return m_fields->EnabledFlag(); }

bool Lyrics::Locked() const { return m_fields->LockedFlag(); }

QLineEdit* Lyrics::AddBox(const char* name) {
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

void Lyrics::setLyricsTag(korvel::LyricsTagPtr tag) {
    m_tag = std::move(tag);
    Clear();
    m_chkLyrics->setChecked(false);
    m_chkLyrics->setEnabled(false);
    if (!m_tag || m_tag->Version() == korvel::lvcUnknown) {
        m_chkLyrics->setEnabled(true);
        m_fields->Lock(true);
        return;
    }
    m_chkLyrics->setChecked(true);
    OnCheckBoxClicked();
    setFieldsEnabled(false);
    m_txtTitle->setText(QString::fromStdString(m_tag->Title()));
    m_txtLyrics->setPlainText(DisplayText(m_tag->Lyrics()));
    m_txtAlbum->setText(QString::fromStdString(m_tag->Album()));
    m_txtArtist->setText(QString::fromStdString(m_tag->Artist()));
    m_txtAuthor->setText(QString::fromStdString(m_tag->Author()));
    for (QLineEdit* box : {m_txtTitle, m_txtArtist, m_txtAlbum, m_txtAuthor}) {
        box->setCursorPosition(0);
    }
}

void Lyrics::Clear() {
    for (QLineEdit* box : {m_txtTitle, m_txtArtist, m_txtAlbum, m_txtAuthor}) box->clear();
    m_txtLyrics->clear();
}

void Lyrics::setFieldsEnabled(bool enabled) {
    m_fields->Enable(enabled);
    if (!enabled) {
        m_txtLyrics->setEnabled(true);
        m_txtLyrics->setReadOnly(true);
        SetFieldColour(m_txtLyrics, FieldColour::ButtonFace);
    }
}

void Lyrics::setLocked(bool locked) { m_fields->Lock(locked); }

bool Lyrics::removeTag() const {
    return m_chkLyrics->isEnabledTo(this) && !m_chkLyrics->isChecked();
}

bool Lyrics::HasTag() const { return m_chkLyrics->isChecked(); }

void Lyrics::OnCheckBoxClicked() {
    if (m_chkLyrics->isChecked()) {
        if (!m_tag) m_tag = std::make_shared<korvel::LyricsTag>();
        m_fields->Lock(false);
    } else {
        m_fields->Lock(true);
    }
}

// The label column is as wide as the twip layout gives it, or wider where the
// font needs it; each box reaches to the right edge and the lyrics box to the
// bottom.
void Lyrics::LayoutChildren() {
    const int fieldHeight = m_txtTitle->sizeHint().height();
    const int pitch = std::max(TwipsToPixels(kRowTwips), fieldHeight + 2);
    const int checkWidth = std::max(TwipsToPixels(kCheckWidth), m_chkLyrics->sizeHint().width());
    int labelWidth = 0;
    for (QLabel* label : m_labels) labelWidth = std::max(labelWidth, label->sizeHint().width());
    const int labelLeft = checkWidth + 2;
    m_fieldLeft = std::max(TwipsToPixels(kFieldLeft), labelLeft + labelWidth + 6);
    m_lyricsTop = 4 * pitch;

    m_chkLyrics->setGeometry(0, 0, checkWidth, fieldHeight);
    for (int i = 0; i < m_labels.size(); ++i) {
        m_labels[i]->setGeometry(labelLeft, i * pitch, m_fieldLeft - 6 - labelLeft, fieldHeight);
    }
    const int width = std::max(0, this->width() - m_fieldLeft);
    int top = 0;
    for (QLineEdit* box : {m_txtTitle, m_txtArtist, m_txtAlbum, m_txtAuthor}) {
        box->setGeometry(m_fieldLeft, top, width, fieldHeight);
        top += pitch;
    }
    m_txtLyrics->setGeometry(m_fieldLeft, m_lyricsTop, width,
                             std::max(0, this->height() - m_lyricsTop));
}

QSize Lyrics::sizeHint() const {
    return QSize(std::max(TwipsToPixels(kDefaultWidth), m_fieldLeft + TwipsToPixels(2775)),
                 std::max(TwipsToPixels(kDefaultHeight),
                          m_lyricsTop + TwipsToPixels(kMinimumLyricsHeight)));
}

QSize Lyrics::minimumSizeHint() const {
    return QSize(m_fieldLeft + TwipsToPixels(kFieldLeft),
                 m_lyricsTop + TwipsToPixels(kMinimumLyricsHeight));
}

void Lyrics::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutChildren();
}

void Lyrics::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        LayoutChildren();
        updateGeometry();
    } else if (event->type() == QEvent::PaletteChange) {
        m_fields->RefreshColours();
    }
}

}  // namespace korvel::controls
