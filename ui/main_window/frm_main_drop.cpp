// SPDX-License-Identifier: GPL-3.0-or-later
// Files dropped onto the main window. One local file is chosen as if the file
// chooser had returned it; a folder, several items or anything that is not a
// local file changes nothing, and a message box says why.

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

#include "engine/files/file_ops.h"
#include "engine/path_kind.h"
#include "frm_main.h"

namespace quarnix {
namespace {

struct DroppedItems {
    QString File;  // the one local file, when that is what came
    QString Refusal = texts::Q(texts::DropNotLocalFile);  // otherwise why nothing is chosen
};

DroppedItems Classify(const QMimeData& items) {
    const QList<QUrl> urls = items.hasUrls() ? items.urls() : QList<QUrl>();
    if (urls.size() > 1) {
        return {{}, texts::Q(texts::DropSeveral)};
    }
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return {{}, texts::Q(texts::DropNotLocalFile)};
    }
    QUrl url = urls.front();
    if (url.host() == QStringLiteral("localhost")) {
        url.setHost(QString());
    }
    if (!url.host().isEmpty()) {  // file://host/...: a file of another machine
        return {{}, texts::Q(texts::DropNotLocalFile)};
    }
    const QString path = url.toLocalFile();
    if (path.isEmpty()) {
        return {{}, texts::Q(texts::DropNotLocalFile)};
    }
    // What the path names is the engine's to say: a folder, a device, a pipe or
    // a socket is no file to choose. One the user may not reach or read is
    // chosen all the same; the command then says why it cannot work on it.
    switch (const PathKind kind = KindOfPath(SystemFileOps(), path.toStdString())) {
        case PathKind::Folder:
            return {{}, texts::Q(texts::DropFolder)};
        case PathKind::Device:
        case PathKind::Pipe:
        case PathKind::Socket:
        case PathKind::Other:
            return {{}, QString::fromStdU16String(PathKindText(kind))};
        default:
            break;
    }
    return {path, {}};
}

// The window only ever reads a dropped file's name, so it takes a drop as a
// copy: accepting a move would tell a file manager to delete the file. A
// drag that offers neither a copy nor a link is not taken at all.
bool TakeAsCopy(QDropEvent& event) {
    for (const Qt::DropAction action : {Qt::CopyAction, Qt::LinkAction}) {
        if (event.possibleActions().testFlag(action)) {
            event.setDropAction(action);
            event.accept();
            return true;
        }
    }
    event.ignore();
    return false;
}

bool IsDrag(QEvent::Type type) {
    return type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop;
}

}  // namespace

void FrmMain::AcceptFileDrops() {
    setAcceptDrops(true);
    // The text boxes take dropped text themselves; a drag that carries
    // addresses (files, links) is the window's even over a text box, so that a
    // file dropped onto a password box never types its name into it.
    for (QLineEdit* box : findChildren<QLineEdit*>()) {
        box->installEventFilter(this);
    }
}

bool FrmMain::TextBoxDrop(QObject* watched, QEvent* event) {
    if (IsDrag(event->type()) && qobject_cast<QLineEdit*>(watched) != nullptr) {
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData() != nullptr && drag->mimeData()->hasUrls()) {
            if (event->type() == QEvent::Drop) {
                dropEvent(drag);
            } else {
                TakeAsCopy(*drag);
            }
            return true;
        }
    }
    return false;
}

void FrmMain::dragEnterEvent(QDragEnterEvent* event) {
    TakeAsCopy(*event);
}

void FrmMain::dragMoveEvent(QDragMoveEvent* event) {
    TakeAsCopy(*event);
}

void FrmMain::dropEvent(QDropEvent* event) {
    const DroppedItems dropped =
        event->mimeData() != nullptr ? Classify(*event->mimeData()) : DroppedItems();
    if (dropped.Refusal.isEmpty()) {
        if (TakeAsCopy(*event)) {
            ChooseFile(dropped.File);
        }
        return;
    }
    // Refused: the program that started the drag learns that nothing was
    // taken, and gets that answer before the user reads the message box.
    event->ignore();
    const QString text = dropped.Refusal;
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            dialogs_->ShowMessage(text, texts::Q(texts::ErrorTitle), MessageIcon::Critical);
        },
        Qt::QueuedConnection);
}

}  // namespace quarnix
