// The ID3v2 editor: its fields, their state, the user's actions and the
// persisted properties. Building and placing the children, showing a tag and
// storing the fields into one are in the ID3v2*.cpp files beside this one.
#include "controls/ID3v2.h"

#include <exception>

#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include "controls/FieldState.h"

namespace korvel::controls {

namespace {

const char* const kModeProperty = "V2A";
const char* const kFrameListProperty = "FRL";

}  // namespace

ID3v2::ID3v2(QWidget* parent) : QWidget(parent), m_fields(std::make_unique<FieldSet>()) {
    RegisterControlTypes();
    setObjectName(QStringLiteral("ID3v2"));
    m_genres = korvel::Genres::Standard();

    // Created in tab order.
    BuildHeader();
    BuildTopPanel();
    BuildBottomPanel();
    BuildPicturePanel();
    BuildFrameList();

    for (const korvel::TagFieldInfo* info : Fields()) m_fields->Add(FieldBox(*info));

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

bool ID3v2::Enabled() const { return m_fields->EnabledFlag(); }

bool ID3v2::Locked() const { return m_fields->LockedFlag(); }

const std::vector<const korvel::TagFieldInfo*>& ID3v2::Fields() {
    static const std::vector<const korvel::TagFieldInfo*> fields = [] {
        std::vector<const korvel::TagFieldInfo*> shown;
        for (const korvel::TagFieldInfo& info : korvel::TagFields()) {
            if (info.control[0] != '\0') shown.push_back(&info);
        }
        return shown;
    }();
    return fields;
}

QWidget* ID3v2::FieldBox(const korvel::TagFieldInfo& info) const {
    return findChild<QWidget*>(QString::fromLatin1(info.control));
}

// ---- Field state and the user's actions ----

void ID3v2::setFieldsEnabled(bool enabled) {
    m_fields->Enable(enabled);
    if (!enabled) {
        // Long texts stay readable: the multi-line boxes can still be
        // scrolled and copied from, but not changed.
        for (QWidget* field : m_fields->Fields()) {
            auto* box = qobject_cast<QPlainTextEdit*>(field);
            if (box == nullptr) continue;
            box->setEnabled(true);
            box->setReadOnly(true);
            SetFieldColour(box, FieldColour::ButtonFace);
        }
    }
    m_cmdLoadPicture->setEnabled(enabled);
    m_cmdClearPicture->setEnabled(enabled);
}

void ID3v2::setLocked(bool locked) {
    m_fields->Lock(locked);
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

}  // namespace korvel::controls
