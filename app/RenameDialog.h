#pragma once
// The dialog that renames files from their tags, or fills tag fields from
// the file names, by a pattern such as "%track% - %artist% - %title%". A
// preview lists every file with what would happen to it before anything is
// done; files that would get an empty name, the name of another file of the
// list or a name that exists already are refused, each on its own row.
// Renaming happens at once; filled fields become changes waiting to be
// written (as edits in the editors do).
#include <QDialog>
#include <QList>
#include <QStringList>
#include <QVector>

#include "TagFields.h"

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace korvel::quelm {

class FolderModel;

class RenameDialog : public QDialog {
    Q_OBJECT

public:
    enum Mode { NamesFromTags, TagsFromNames };

    // rows: the model rows to work on; patterns: those offered, the first
    // one chosen.
    RenameDialog(Mode mode, FolderModel* model, QList<int> rows, const QStringList& patterns,
                 QWidget* parent = nullptr);

    Mode WhatItDoes() const { return m_mode; }
    QString Pattern() const;
    // Chooses a pattern and shows its preview at once.
    void SetPattern(const QString& pattern);
    QTreeWidget* Preview() const { return m_lvwPreview; }
    // Renames the files or fills their fields as the preview shows; failures
    // are shown in one message naming the files. Then the dialog closes.
    void Apply();

signals:
    // Something was renamed or filled, by this pattern.
    void applied(const QString& pattern);

private:
    struct Planned {
        int row = -1;
        bool ok = false;
        QString status;
        QString target;      // the new path (renaming)
        FieldValues values;  // the fields read from the name (filling)
    };
    void RefreshPreview();
    void PlanRenames(const QString& pattern);
    void PlanFields(const QString& pattern);

    Mode m_mode;
    FolderModel* m_model;
    QList<int> m_rows;
    QVector<Planned> m_plan;

    QComboBox* m_cmbPattern = nullptr;
    QLabel* m_lblFields = nullptr;
    QLabel* m_lblSummary = nullptr;
    QTreeWidget* m_lvwPreview = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    QPushButton* m_cmdApply = nullptr;
    QTimer* m_refresh = nullptr;
};

}  // namespace korvel::quelm
