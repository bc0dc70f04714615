#include "FolderLoader.h"

#include <vector>

#include <QDirIterator>

#include "FolderModel.h"
#include "TagFields.h"

namespace korvel::quelm {

FolderLoader::FolderLoader(FolderModel* model, QObject* parent) : QObject(parent), m_model(model) {
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &FolderLoader::RunSlice);
}

FolderLoader::~FolderLoader() = default;

void FolderLoader::Start(const QString& folder, bool subfolders) {
    Stop();
    m_model->Reset(folder);
    m_paths.clear();
    m_next = 0;
    // Every file ending in .mp3 (in any case); symbolic links to folders are
    // not followed, so a link loop cannot keep the listing going.
    m_listing = std::make_unique<QDirIterator>(
        folder, QStringList{QStringLiteral("*.mp3")}, QDir::Files | QDir::System | QDir::NoDotAndDotDot,
        subfolders ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    m_sinceStart.start();
    m_timer.start();
    emit progress(0, -1);
}

void FolderLoader::Stop() {
    m_timer.stop();
    m_listing.reset();
}

void FolderLoader::RunSlice() {
    QElapsedTimer slice;
    slice.start();
    if (m_listing) {
        int listed = 0;
        while (m_listing->hasNext()) {
            m_paths << m_listing->next();
            if (++listed % 64 == 0 && slice.elapsed() >= kSliceMilliseconds) {
                emit progress(0, -1);
                return;
            }
        }
        m_listing.reset();
        // The table fills in name order (until the user sorts it otherwise).
        m_paths.sort(Qt::CaseInsensitive);
    }

    std::vector<FileSummary> read;
    while (m_next < m_paths.size() && slice.elapsed() < kSliceMilliseconds) {
        read.push_back(ReadSummary(m_paths[m_next++]));
    }
    m_model->Append(std::move(read));
    emit progress(m_next, static_cast<int>(m_paths.size()));
    if (m_next >= m_paths.size()) {
        m_timer.stop();
        emit finished(static_cast<int>(m_paths.size()), m_sinceStart.elapsed());
    }
}

}  // namespace korvel::quelm
