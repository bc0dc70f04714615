#include "controls/SharedFields.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "controls/FieldState.h"
#include "controls/FieldText.h"
#include "controls/ID3v1.h"
#include "controls/ID3v2.h"

namespace korvel::controls {

namespace {

const QString kGenre = QStringLiteral("Genre");
const QString kGenreNumber = QStringLiteral("GenreNumber");

void SetPlaceholder(QWidget* field, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        line->setPlaceholderText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) {
        plain->setPlaceholderText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit()) {
        combo->lineEdit()->setPlaceholderText(text);
    }
}

}  // namespace

QString DifferentValuesText() { return QStringLiteral("<different values>"); }

QString StoredGenreText(const korvel::Genres& genres, const QString& numberText,
                        const QString& shown) {
    bool isNumber = false;
    const int number = numberText.toInt(&isNumber);
    if (isNumber) {
        const GenrePtr genre = genres.getGenreByID(std::to_string(number));
        if (genre && QString::fromStdString(genre->Description()) == shown) {
            return QStringLiteral("(%1)").arg(number) + shown;
        }
    }
    return shown;
}

SharedFields::SharedFields(QWidget* editor)
    : QObject(editor), m_editor(editor) {
    m_isID3v1 = qobject_cast<ID3v1*>(editor) != nullptr;
    // The ID3v1 editor names the boxes of its fields as the ID3v2 editor does.
    for (const korvel::TagFieldInfo* info : ID3v2::Fields()) {
        QWidget* box = editor->findChild<QWidget*>(QString::fromLatin1(info->control));
        if (box == nullptr) continue;
        const QString name = QString::fromLatin1(info->name);
        m_names << name;
        m_fields[name] = box;
        auto changed = [this, name] { m_changed.insert(name); };
        if (auto* line = qobject_cast<QLineEdit*>(box)) {
            connect(line, &QLineEdit::textChanged, this, changed);
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) {
            connect(plain, &QPlainTextEdit::textChanged, this, changed);
        } else if (auto* combo = qobject_cast<QComboBox*>(box)) {
            connect(combo, &QComboBox::editTextChanged, this, changed);
        }
    }
    m_genreNumber = editor->findChild<QLabel*>(QStringLiteral("lblGenreByte"));
}

QStringList SharedFields::FieldNames() const { return m_names; }

QCheckBox* SharedFields::TagBox() const {
    if (!m_editor) return nullptr;
    return m_editor->findChild<QCheckBox*>(m_isID3v1 ? QStringLiteral("chkID3v1")
                                                     : QStringLiteral("chkID3v2"));
}

QWidget* SharedFields::Field(const QString& name) const {
    const auto found = m_fields.find(name);
    return found == m_fields.end() ? nullptr : found->second.data();
}

void SharedFields::BeginManyFiles(const QStringList& fields) {
    if (!m_editor) return;
    m_shared = fields;
    if (auto* id3v1 = qobject_cast<ID3v1*>(m_editor)) {
        id3v1->setID3v1xTag(nullptr);
        id3v1->setLocked(false);
        id3v1->setVisibilityMode(temEditMany);
    } else if (auto* id3v2 = qobject_cast<ID3v2*>(m_editor)) {
        id3v2->setID3V2Tag(nullptr);
        id3v2->setLocked(false);
        // The picture is not edited for many files at once.
        for (QPushButton* button : id3v2->findChildren<QPushButton*>()) button->setEnabled(false);
    }
    if (auto* box = TagBox()) box->setChecked(true);
    for (const auto& [name, field] : m_fields) {
        if (!field) continue;
        if (!fields.contains(name)) {
            SetFieldReadOnly(field, true);
            SetFieldColour(field, FieldColour::ButtonFace);
        }
    }
    m_many = true;
    Reset();
}

void SharedFields::EndManyFiles() {
    if (!m_many) return;
    m_many = false;
    for (const auto& [name, field] : m_fields) SetPlaceholder(field, QString());
    if (auto* id3v1 = qobject_cast<ID3v1*>(m_editor)) id3v1->setVisibilityMode(temEditSingle);
    Reset();
}

void SharedFields::ShowText(QWidget* field, const QString& text) {
    if (auto* line = qobject_cast<QLineEdit*>(field)) {
        line->setText(text);
        line->setCursorPosition(0);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(field)) {
        plain->setPlainText(text);
    }
}

void SharedFields::ShowGenre(const SharedValues& values) {
    auto* combo = qobject_cast<GenreComboBox*>(Field(kGenre));
    if (combo == nullptr) return;
    const auto genre = values.find(kGenre);
    const auto number = values.find(kGenreNumber);
    if (genre != values.end() && genre->second) {
        combo->ShowText(*genre->second);
    } else {
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
    }
    if (m_genreNumber) {
        m_genreNumber->setText(number != values.end() && number->second ? *number->second
                                                                         : QString());
    }
}

void SharedFields::Show(const SharedValues& values, bool asChanges) {
    for (const QString& name : m_names) {
        QWidget* field = Field(name);
        const auto found = values.find(name);
        const bool given = found != values.end() && found->second.has_value();
        // A field left out keeps its text, except a field of the many-files
        // mode, which then shows the placeholder.
        const bool manyFilesField = m_many && m_shared.contains(name);
        if (!given && !manyFilesField) continue;
        if (manyFilesField) SetPlaceholder(field, given ? QString() : DifferentValuesText());
        // The editors take a text set while its signals are blocked as not
        // touched (the ID3v1 editor keeps the field's button-face colour).
        std::optional<QSignalBlocker> quiet;
        if (!asChanges) quiet.emplace(field);
        if (name == kGenre) {
            ShowGenre(values);
        } else {
            ShowText(field, given ? *found->second : QString());
        }
    }
}

QStringList SharedFields::Changed() const {
    QStringList changed;
    for (const QString& name : m_names) {
        if (m_changed.contains(name)) changed << name;
    }
    return changed;
}

QString SharedFields::Value(const QString& field) const {
    if (field == kGenreNumber) return m_genreNumber ? m_genreNumber->text() : QString();
    const QWidget* box = Field(field);
    if (box == nullptr) return QString();
    return m_isID3v1 ? BoxText(box) : TrimSpaces(BoxText(box));
}

void SharedFields::TickTagBox(bool ticked) {
    if (!m_editor) return;
    QCheckBox* box = TagBox();
    if (box != nullptr && box->isEnabledTo(m_editor) && box->isChecked() != ticked) box->click();
}

}  // namespace korvel::controls
