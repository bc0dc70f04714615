// The ID3v2 editor's held tag: handing it in and out, and storing the
// fields into it.
#include "controls/ID3v2.h"

#include <optional>

#include <QCheckBox>
#include <QLabel>

#include "controls/FieldState.h"
#include "controls/FieldText.h"
#include "controls/SharedFields.h"
#include "core/Numeric.h"
#include "errors/KorvelException.h"

namespace korvel::controls {

using korvel::TagField;

namespace {

constexpr int kErrTypeMismatch = 13;
constexpr int kErrOverflow = 6;

const char* const kSetSource = "ucID3v2xTag::ID3V2Tag";
const char* const kReadSource = "ucID3v2xTag::ID3V2Tag()";
const char* const kInvalidType = "Invalid type of tag passed.";

}  // namespace

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

// ---- Reading the fields back ----

QString ID3v2::GenreToStore() const {
    return StoredGenreText(*m_genres, m_lblGenreByte->text(), m_cmbGenre->currentText());
}

namespace {

// Where the two kinds of held tag differ: the updatable tag takes the track
// and the year as 16-bit numbers, refusing text that is none.
void StoreText(korvel::ID3V2Tag& tag, TagField field, const std::string& text) { tag.SetField(field, text); }
void StoreText(korvel::ID3V230& tag, TagField field, const std::string& text) {
    tag.SetFieldValue(field, text);
}

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
    for (const korvel::TagFieldInfo* info : Fields()) {
        // The genre's text is taken as it stands, every other text without
        // leading and trailing spaces.
        if (info->field == TagField::Genre) {
            StoreText(tag, info->field, Utf8(GenreToStore()));
            continue;
        }
        const std::string text = Utf8(TrimSpaces(BoxText(FieldBox(*info))));
        if (info->field == TagField::Track) {
            StoreTrack(tag, text);
        } else if (info->field == TagField::Year) {
            StoreYear(tag, text);
        } else {
            StoreText(tag, info->field, text);
        }
    }
    // A picture the user left alone is not handed back: the object the tag
    // gave may be one that holds no image (a format that cannot be shown),
    // and storing that would delete the tag's picture frame.
    if (m_pictureChanged) tag.setPicture(m_picture);
}

}  // namespace korvel::controls
