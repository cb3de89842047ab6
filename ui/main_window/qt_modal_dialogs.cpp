// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_modal_dialogs.h"

#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QtMath>

#include "file_dialog_columns.h"
#include "file_type_filter.h"
#include "message_lines.h"
#include "qt_progress_dialog.h"

namespace quarnix {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// The texts keep the line breaks of the Windows convention ("\r\n"); a label
// breaks lines at "\n" alone.
QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return shown;
}

// A window manager writes the title in a font of its own, often bold and
// larger, beside an icon and buttons of its own. Qt sizes a message box to its
// text and buttons with little room for the title, so a box as short as
// "操作成功！" shows "Quarnix 3.3" cut short. A spacer across the box keeps it
// wide enough for the title in a bold font a quarter larger and six squares of
// the text's height for the title bar's icon and buttons.
void LeaveRoomForTheTitle(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) {
        return;
    }
    QFont bold = box.font();
    bold.setBold(true);
    const qreal title = QFontMetricsF(bold).horizontalAdvance(box.windowTitle()) * 1.25;
    const int width = qCeil(title) + 6 * box.fontMetrics().height();
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

// A message box grows with its text up to half the screen's width, at most
// 500 pixels, and wraps the text beyond. Lines broken before, each narrower
// than what the text has of that width beside the icon, are not wrapped again.
QString FittedText(const QMessageBox& box, const QString& text) {
    const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (label == nullptr || grid == nullptr || box.screen() == nullptr) {
        return text;
    }
    const int growsUpTo = qMin(box.screen()->availableGeometry().width() / 2, 500);
    const QMargins margins = grid->contentsMargins();
    const int icon =
        box.iconPixmap().isNull() ? 0 : box.iconPixmap().deviceIndependentSize().width();
    // Beside the icon: the spacings and an indent of Qt's, and a character's room.
    const int beside = 3 * qMax(grid->horizontalSpacing(), 0) + 15 + label->fontMetrics().height();
    const qreal width = growsUpTo - margins.left() - margins.right() - icon - beside;
    return BalancedLines(text, QFontMetricsF(label->font()), width);
}

std::unique_ptr<QMessageBox> MakeBox(QWidget* owner, QMessageBox::Icon icon, const QString& text,
                                     const QString& title, QMessageBox::StandardButtons buttons) {
    auto box = std::make_unique<QMessageBox>(icon, title, QString(), buttons, owner);
    box->setTextFormat(Qt::PlainText);
    box->setText(FittedText(*box, DisplayText(text)));
    box->setWindowModality(Qt::ApplicationModal);
    LeaveRoomForTheTitle(*box);
    return box;
}

// The file system model behind Qt's file dialog filters by the patterns it
// reads from the parentheses of the description: "所有文件(*.*)" would hide
// every name without a dot. Give the model the entry's own patterns instead,
// for the entry shown at the start and whenever the user picks another.
void UseEntryPatterns(QFileDialog& dialog, const QList<FileTypeEntry>& entries) {
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (model == nullptr || entries.isEmpty()) {
        return;
    }
    const auto usePatternsOf = [model, entries](const QString& description) {
        for (const FileTypeEntry& entry : entries) {
            if (entry.Description.simplified() == description) {
                model->setNameFilters(entry.Patterns);
                return;
            }
        }
    };
    usePatternsOf(dialog.selectedNameFilter());
    QObject::connect(&dialog, &QFileDialog::filterSelected, model, usePatternsOf);
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* owner, const QString& text,
                                            const QString& title, MessageIcon icon) {
    return MakeBox(owner, BoxIcon(icon), text, title, QMessageBox::Ok);
}

std::unique_ptr<QMessageBox> MakeYesNoBox(QWidget* owner, const QString& text, const QString& title,
                                          QMessageBox::StandardButton defaultButton) {
    auto box = MakeBox(owner, QMessageBox::NoIcon, text, title, QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(defaultButton);
    return box;
}

std::unique_ptr<QFileDialog> MakeOpenFileDialog(QWidget* owner, const QString& title,
                                                const QString& filter, const QString& currentName,
                                                const QString& fileType) {
    auto dialog = std::make_unique<QFileDialog>(owner);
    // Set before anything else, so that the dialog builds its own widgets now.
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    ShowFileColumnsInChinese(*dialog);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setWindowTitle(title);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);

    const QList<FileTypeEntry> entries = ParseFileTypeFilter(filter);
    QStringList descriptions;
    for (const FileTypeEntry& entry : entries) {
        descriptions.append(entry.Description);
    }
    dialog->setNameFilters(descriptions);
    if (!fileType.isEmpty()) {
        dialog->selectNameFilter(fileType);  // the type chosen last time, when still offered
    }
    UseEntryPatterns(*dialog, entries);

    if (!currentName.isEmpty()) {
        dialog->selectFile(currentName);
    }
    return dialog;
}

void QtModalDialogs::ShowMessage(const QString& text, const QString& title, MessageIcon icon) {
    MakeMessageBox(owner_, text, title, icon)->exec();
}

bool QtModalDialogs::AskYesNo(const QString& text, const QString& title) {
    return MakeYesNoBox(owner_, text, title)->exec() == QMessageBox::Yes;
}

bool QtModalDialogs::AskYesNoDefaultNo(const QString& text, const QString& title) {
    return MakeYesNoBox(owner_, text, title, QMessageBox::No)->exec() == QMessageBox::Yes;
}

QString QtModalDialogs::GetOpenFileName(const QString& title, const QString& filter,
                                        const QString& currentName) {
    auto dialog = MakeOpenFileDialog(owner_, title, filter, currentName, lastFileType_);
    const bool chosen = dialog->exec() == QDialog::Accepted;
    lastFileType_ = dialog->selectedNameFilter();
    return chosen ? dialog->selectedFiles().value(0) : QString();
}

std::unique_ptr<ProgressDisplay> QtModalDialogs::OpenProgress(const QString& title,
                                                              std::function<void()> cancel,
                                                              std::function<void()> close) {
    return std::make_unique<QtProgressDialog>(owner_, title, std::move(cancel), std::move(close));
}

}  // namespace quarnix
