#pragma once
// Fills a folder table in the background: lists the folder's MP3 files
// (with its subfolders when asked), then reads them one after the other and
// adds them to the table. The work runs on the user-interface thread in
// slices of about 20 ms, each started by a timer, so that the window keeps
// serving its events between them (the library is used from that thread
// only).
#include <memory>

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

class QDirIterator;

namespace korvel::quelm {

class FolderModel;

class FolderLoader : public QObject {
    Q_OBJECT

public:
    explicit FolderLoader(FolderModel* model, QObject* parent = nullptr);
    ~FolderLoader() override;

    // Empties the table and starts loading the folder; a load under way is
    // stopped first.
    void Start(const QString& folder, bool subfolders);
    void Stop();
    bool Running() const { return m_timer.isActive(); }

    // How long one slice may run before the loader yields.
    static constexpr int kSliceMilliseconds = 20;

signals:
    // While listing, total is -1; then done of total files are read.
    void progress(int done, int total);
    // All files are in the table; elapsed is the time since Start.
    void finished(int files, qint64 elapsedMilliseconds);

private:
    void RunSlice();

    FolderModel* m_model;
    QTimer m_timer;
    QElapsedTimer m_sinceStart;
    std::unique_ptr<QDirIterator> m_listing;
    QStringList m_paths;
    int m_next = 0;
};

}  // namespace korvel::quelm
