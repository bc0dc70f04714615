#pragma once
// The Lyrics editor: shows a file's Lyrics3 tag (title, artist, album, author
// and the lyrics text) read-only. A check box says whether the file carries a
// tag. Every public member is also reachable by name through the Qt property
// system.
#include <memory>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QWidget>

#include "controls/ControlTypes.h"
#include "lyrics3/LyricsTag.h"

namespace korvel::controls {

class FieldSet;

class Lyrics : public QWidget {
    Q_OBJECT
    // All run-time members: form editors neither show them nor store them in a form.
    Q_PROPERTY(korvel::LyricsTagPtr LyricsTag READ LyricsTag WRITE setLyricsTag
                   DESIGNABLE false STORED false)
    Q_PROPERTY(bool Enabled READ Enabled WRITE setFieldsEnabled DESIGNABLE false STORED false)
    Q_PROPERTY(bool Locked READ Locked WRITE setLocked DESIGNABLE false STORED false)
    Q_PROPERTY(bool removeTag READ removeTag DESIGNABLE false STORED false)
    Q_PROPERTY(bool HasTag READ HasTag DESIGNABLE false STORED false)

public:
    explicit Lyrics(QWidget* parent = nullptr);
    ~Lyrics() override;

    // Shows the tag read-only (null: no tag). A tag object that holds no
    // Lyrics3 tag (version lvcUnknown) is shown as no tag.
    void setLyricsTag(korvel::LyricsTagPtr tag);
    // The object handed in or created (not a copy); the editor never changes it.
    korvel::LyricsTagPtr LyricsTag() const { return m_tag; }

    // Empties the five boxes.
    Q_INVOKABLE void Clear();

    // Enabled = v: the fields enabled v, writable, window colour, except that
    // disabling leaves the lyrics box enabled (so it can still be scrolled and
    // copied from) but read-only with the button-face colour. Locked = v: the
    // fields enabled, read-only v, button face when v. (QWidget::setEnabled is
    // the widget's own state and is left to the host.)
    bool Enabled() const;
    void setFieldsEnabled(bool enabled);
    bool Locked() const;
    void setLocked(bool locked);

    bool removeTag() const;
    bool HasTag() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QLineEdit* AddBox(const char* name);
    void OnCheckBoxClicked();
    void LayoutChildren();

    korvel::LyricsTagPtr m_tag;
    std::unique_ptr<FieldSet> m_fields;
    QCheckBox* m_chkLyrics = nullptr;
    QLineEdit* m_txtTitle = nullptr;
    QLineEdit* m_txtArtist = nullptr;
    QLineEdit* m_txtAlbum = nullptr;
    QLineEdit* m_txtAuthor = nullptr;
    QPlainTextEdit* m_txtLyrics = nullptr;
    QList<QLabel*> m_labels;  // Title, Artist, Album, Author, Lyrics
    int m_fieldLeft = 0;
    int m_lyricsTop = 0;
};

}  // namespace korvel::controls
