// The save sequence of "Update" for the file in the path box.
#include "MainWindow.h"

#include <QMessageBox>
#include <QPushButton>

#include "AppInfo.h"
#include "BusyCursor.h"
#include "FolderSession.h"
#include "WindowParts.h"
#include "controls/ID3v1.h"
#include "controls/ID3v2.h"
#include "errors/KorvelException.h"
#include "file/FileReport.h"
#include "id3v230/ID3V230.h"

namespace korvel::quelm {

namespace {

constexpr const char* kCrLf = "\r\n";

// A version 2.2 tag is saved as version 2.3; frames that version has no form
// for are dropped only when the user agrees.
bool MayDropUnconvertible(QWidget* parent, korvel::ID3V2Tag& tag) {
    const std::vector<std::string> frames = tag.UnconvertibleFrames();
    if (frames.empty()) return true;
    QStringList ids;
    for (const std::string& id : frames) ids << QString::fromStdString(id);
    bool drop = false;
    WithNormalCursor([&] {
        drop = QMessageBox::question(
                   parent, ApplicationTitle(),
                   QStringLiteral("The ID3v2.2 tag is saved as an ID3v2.3 tag, which has no form for its "
                                  "frames %1. Save it without them?")
                       .arg(ids.join(QStringLiteral(", "))),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    });
    tag.setDropUnconvertible(drop);
    return drop;
}

}  // namespace

void MainWindow::UpdateTags() {
    if (m_folder->ManyFiles()) {
        m_folder->UpdateFiles();
        return;
    }
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
        if (current && current->removeTag()) {
            message += std::string("ID3v2 Tag successfully removed.") + kCrLf;
            updated = true;
        } else {
            const std::string why =
                current ? current->LastError()->Stream() : file->LastError()->Stream();
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
        } else if (MayDropUnconvertible(this, *target)) {
            // The editor's fields, multi-line texts with bare line feeds.
            for (const korvel::TagFieldInfo* info : korvel::controls::ID3v2::Fields()) {
                const std::string value = tag->Field(info->field);
                target->SetField(info->field,
                                 info->multiLine ? korvel::convertLineFeeds(value, true) : value);
            }
            target->setPicture(tag->Picture());
            if (target->saveTag()) {
                message = std::string("ID3v2 Tag successfully saved.") + kCrLf;
                for (const std::string& note : target->SaveNotes()) message += note + kCrLf;
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
        emit fileSaved(m_txtFile->text());
    }
    return true;
}

}  // namespace korvel::quelm
