#include "RenameDialog.h"

#include <algorithm>
#include <map>
#include <optional>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "BusyCursor.h"
#include "FolderModel.h"
#include "NamePattern.h"
#include "errors/MessageHandler.h"

namespace korvel::quelm {

namespace {

// The fields a pattern names, in its order, each once.
QStringList FieldsOf(const QString& pattern) {
    QStringList fields;
    for (const QString& placeholder : PatternPlaceholders()) {
        const qsizetype at = pattern.indexOf(placeholder, 0, Qt::CaseInsensitive);
        if (at >= 0) fields << FieldOfPlaceholder(placeholder);
    }
    std::sort(fields.begin(), fields.end(), [&pattern](const QString& a, const QString& b) {
        return pattern.indexOf(QLatin1Char('%') + a + QLatin1Char('%'), 0, Qt::CaseInsensitive) <
               pattern.indexOf(QLatin1Char('%') + b + QLatin1Char('%'), 0, Qt::CaseInsensitive);
    });
    return fields;
}

}  // namespace

RenameDialog::RenameDialog(Mode mode, FolderModel* model, QList<int> rows,
                           const QStringList& patterns, QWidget* parent)
    : QDialog(parent), m_mode(mode), m_model(model), m_rows(std::move(rows)) {
    setObjectName(QStringLiteral("dlgRename"));
    setWindowTitle(mode == NamesFromTags ? QStringLiteral("Rename Files from Tags")
                                         : QStringLiteral("Tags from File Names"));
    m_cmbPattern = new QComboBox(this);
    m_cmbPattern->setObjectName(QStringLiteral("cmbPattern"));
    m_cmbPattern->setEditable(true);
    m_cmbPattern->setInsertPolicy(QComboBox::NoInsert);
    m_cmbPattern->addItems(patterns);
    m_cmbPattern->setMinimumWidth(m_cmbPattern->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
    m_lblFields = new QLabel(QStringLiteral("Fields: ") + PatternPlaceholders().join(QLatin1Char(' ')),
                             this);
    m_lblFields->setObjectName(QStringLiteral("lblFields"));
    m_lblFields->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_lvwPreview = new QTreeWidget(this);
    m_lvwPreview->setObjectName(QStringLiteral("lvwPreview"));
    m_lvwPreview->setRootIsDecorated(false);
    m_lvwPreview->setUniformRowHeights(true);
    m_lvwPreview->setAlternatingRowColors(true);
    m_lvwPreview->setSelectionMode(QAbstractItemView::NoSelection);
    m_lblSummary = new QLabel(this);
    m_lblSummary->setObjectName(QStringLiteral("lblSummary"));

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_cmdApply = m_buttons->addButton(
        mode == NamesFromTags ? QStringLiteral("Rename") : QStringLiteral("Fill Tags"),
        QDialogButtonBox::AcceptRole);
    m_cmdApply->setObjectName(QStringLiteral("cmdApply"));
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_cmdApply, &QPushButton::clicked, this, &RenameDialog::Apply);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Pattern:"), m_cmbPattern);
    form->addRow(QString(), m_lblFields);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_lvwPreview, 1);
    layout->addWidget(m_lblSummary);
    layout->addWidget(m_buttons);
    resize(760, 480);

    // The preview follows the pattern as it is typed, a moment after the
    // last key.
    m_refresh = new QTimer(this);
    m_refresh->setSingleShot(true);
    m_refresh->setInterval(150);
    connect(m_refresh, &QTimer::timeout, this, &RenameDialog::RefreshPreview);
    connect(m_cmbPattern, &QComboBox::editTextChanged, m_refresh, qOverload<>(&QTimer::start));
    RefreshPreview();
}

QString RenameDialog::Pattern() const { return m_cmbPattern->currentText(); }

void RenameDialog::SetPattern(const QString& pattern) {
    m_cmbPattern->setEditText(pattern);
    m_refresh->stop();
    RefreshPreview();
}

void RenameDialog::RefreshPreview() {
    m_lvwPreview->clear();
    m_plan.clear();
    const QString pattern = Pattern();
    const QStringList unknown = UnknownPlaceholders(pattern);
    if (!unknown.isEmpty()) {
        m_lblSummary->setText(QStringLiteral("Unknown fields: ") + unknown.join(QLatin1Char(' ')));
        m_cmdApply->setEnabled(false);
        return;
    }
    if (m_mode == NamesFromTags) {
        PlanRenames(pattern);
    } else {
        PlanFields(pattern);
    }
    int ok = 0;
    for (const Planned& planned : m_plan) ok += planned.ok ? 1 : 0;
    m_lblSummary->setText(QStringLiteral("%1 of %2 files %3.")
                              .arg(ok)
                              .arg(m_plan.size())
                              .arg(m_mode == NamesFromTags ? QStringLiteral("will be renamed")
                                                           : QStringLiteral("will get these fields")));
    m_cmdApply->setEnabled(ok > 0);
    for (int column = 0; column < m_lvwPreview->columnCount(); ++column) {
        m_lvwPreview->resizeColumnToContents(column);
    }
}

void RenameDialog::PlanRenames(const QString& pattern) {
    m_lvwPreview->setHeaderLabels(
        {QStringLiteral("File name"), QStringLiteral("New name"), QStringLiteral("Status")});
    const QStringList fields = FieldsOf(pattern);
    std::map<QString, int> targets;
    for (int row : m_rows) {
        Planned planned;
        planned.row = row;
        const FileSummary& file = m_model->File(row);
        if (!file.Readable) {
            planned.status = QStringLiteral("Cannot be read");
        } else {
            FieldValues values;
            for (const QString& field : fields) values[field] = m_model->Shown(row, field);
            const QFileInfo info(file.Path);
            const QString extension =
                info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
            const QString base = FitNameLength(NameFromFields(pattern, values), extension);
            if (base.isEmpty()) {
                planned.status = QStringLiteral("The tags give no name");
            } else {
                planned.target = info.dir().filePath(base + extension);
                if (planned.target == file.Path) {
                    planned.status = QStringLiteral("Unchanged");
                } else {
                    planned.ok = true;
                    ++targets[planned.target];
                }
            }
        }
        m_plan << planned;
    }
    for (Planned& planned : m_plan) {
        if (!planned.ok) continue;
        const QFileInfo target(planned.target);
        if (targets[planned.target] > 1) {
            planned.ok = false;
            planned.status = QStringLiteral("Another file would get this name");
        } else if (target.exists() && target != QFileInfo(m_model->File(planned.row).Path)) {
            planned.ok = false;
            planned.status = QStringLiteral("A file of this name exists");
        } else {
            planned.status = QStringLiteral("Will be renamed");
        }
    }
    QList<QTreeWidgetItem*> items;
    for (const Planned& planned : m_plan) {
        const QString newName =
            planned.target.isEmpty() ? QString()
                                     : QDir(m_model->Folder()).relativeFilePath(planned.target);
        items << new QTreeWidgetItem({m_model->Name(planned.row), newName, planned.status});
    }
    m_lvwPreview->addTopLevelItems(items);
}

void RenameDialog::PlanFields(const QString& pattern) {
    const QStringList fields = FieldsOf(pattern);
    m_lvwPreview->setHeaderLabels(QStringList{QStringLiteral("File name")} + fields +
                                  QStringList{QStringLiteral("Status")});
    QList<QTreeWidgetItem*> items;
    for (int row : m_rows) {
        Planned planned;
        planned.row = row;
        const FileSummary& file = m_model->File(row);
        QStringList columns{m_model->Name(row)};
        std::optional<FieldValues> values;
        if (!file.Readable) {
            planned.status = QStringLiteral("Cannot be read");
        } else if (fields.isEmpty()) {
            planned.status = QStringLiteral("The pattern names no field");
        } else if (!(values = FieldsFromName(pattern, QFileInfo(file.Path).completeBaseName()))) {
            planned.status = QStringLiteral("The name does not follow the pattern");
        } else {
            planned.ok = true;
            planned.values = *values;
            planned.status = QStringLiteral("Will be filled");
        }
        for (const QString& field : fields) columns << planned.values[field];
        columns << planned.status;
        items << new QTreeWidgetItem(columns);
        m_plan << planned;
    }
    m_lvwPreview->addTopLevelItems(items);
}

void RenameDialog::Apply() {
    RefreshPreview();
    QStringList failures;
    bool changed = false;
    {
        BusyCursor busy;
        for (const Planned& planned : m_plan) {
            if (!planned.ok) continue;
            if (m_mode == NamesFromTags) {
                FileSummary file = m_model->File(planned.row);
                QFile renamed(file.Path);
                if (!renamed.rename(planned.target)) {
                    failures << m_model->Name(planned.row) + QStringLiteral(": ") +
                                    renamed.errorString();
                    continue;
                }
                file.Path = planned.target;
                m_model->Replace(planned.row, std::move(file));
            } else {
                TagChanges changes;
                changes.ID3v2 = planned.values;
                if (planned.values.count(QStringLiteral("Genre"))) {
                    changes.ID3v2[QStringLiteral("GenreNumber")] =
                        GenreNumberOf(planned.values.at(QStringLiteral("Genre")));
                }
                // The ID3v1 tag of a file that has one gets the fields it can hold.
                if (m_model->File(planned.row).HasID3v1) {
                    for (const auto& [field, value] : changes.ID3v2) {
                        if (ID3v1Fields().contains(field) || field == QLatin1String("GenreNumber")) {
                            changes.ID3v1[field] = value;
                        }
                    }
                    if (const auto track = changes.ID3v1.find(QStringLiteral("Track"));
                        track != changes.ID3v1.end()) {
                        track->second = QStringLiteral("%1").arg(track->second.toInt(), 2, 10,
                                                                  QLatin1Char('0'));
                    }
                }
                m_model->AddChanges(planned.row, changes);
            }
            changed = true;
        }
    }
    if (changed) emit applied(Pattern());
    if (!failures.isEmpty()) {
        WithNormalCursor([&] {
            korvel::ShowMessage(("Unable to rename " + std::to_string(failures.size()) +
                                 (failures.size() == 1 ? " file:" : " files:") + "\r\n" +
                                 failures.join(QStringLiteral("\r\n")).toStdString()),
                                korvel::MessageIcon::Exclamation);
        });
    }
    accept();
}

}  // namespace korvel::quelm
