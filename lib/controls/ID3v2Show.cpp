// The ID3v2 editor showing a tag: the fields, the genre, the picture and the
// list of every frame.
#include "controls/ID3v2.h"

#include <algorithm>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTreeWidget>

#include "controls/FieldState.h"
#include "id3v2/FrameContent.h"
#include "id3v2/TagContents.h"

namespace korvel::controls {

using korvel::TagField;

namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

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

// A field's value in its box: a line box shows the start of the text, a
// multi-line box the text with its line breaks.
void ShowText(QWidget* box, const std::string& value) {
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->setText(Text(value));
        line->setCursorPosition(0);
    } else if (auto* lines = qobject_cast<QPlainTextEdit*>(box)) {
        lines->setPlainText(MultiLineText(value));
    }
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

    for (const korvel::TagFieldInfo* info : Fields()) {
        if (info->field == TagField::Genre) continue;  // number and name, below
        std::string value = tag->Field(info->field);
        // A year of 0 is no year.
        if (info->field == TagField::Year && value == "0") value.clear();
        ShowText(FieldBox(*info), value);
    }
    ShowGenre(*tag);
    ShowPicture(tag->Picture());

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
    for (QWidget* field : m_fields->Fields()) {
        if (auto* line = qobject_cast<QLineEdit*>(field)) {
            line->clear();
        } else if (auto* lines = qobject_cast<QPlainTextEdit*>(field)) {
            lines->clear();
        }
    }
    m_cmbGenre->setCurrentIndex(-1);
    m_cmbGenre->setEditText(QString());
    m_lblGenreByte->clear();
    ShowPicture(nullptr);
    m_pictureChanged = true;
    for (int tab = 0; tab < m_sstLyrics->count(); ++tab) m_sstLyrics->setTabIcon(tab, QIcon());
}

}  // namespace korvel::controls
