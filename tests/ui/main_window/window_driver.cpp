// SPDX-License-Identifier: GPL-3.0-or-later
#include "window_driver.h"

#include <qpa/qwindowsysteminterface.h>
#include <QFile>
#include <QPushButton>

#include "qt_progress_dialog.h"

namespace quarnix::testing {

namespace {

class ScriptedProgress : public ProgressDisplay {
  public:
    ScriptedProgress(ProgressScript& script, const QString& title, std::function<void()> cancel,
                     std::function<void()> close)
        : script_(script) {
        script_.Open = true;
        script_.CancelDisabled = false;
        if (script_.Shown) {
            shown_ = std::make_unique<QtProgressDialog>(script_.Owner, title, cancel, close);
            script_.ShownDialog = shown_.get();
        }
        script_.Cancel = std::move(cancel);
        script_.Close = std::move(close);
        if (script_.WhenOpen) {
            // As a user's hand: after the window has finished opening the dialog.
            QMetaObject::invokeMethod(qApp, script_.WhenOpen, Qt::QueuedConnection);
        }
    }
    ~ScriptedProgress() override {
        script_.Open = false;
        script_.Cancel = nullptr;
        script_.Close = nullptr;
        script_.ShownDialog = nullptr;
    }
    void Update(const QString& text, int percent) override {
        if (script_.Texts.isEmpty() || script_.Texts.last() != text) {
            script_.Texts.append(text);
        }
        script_.Percent = percent;
        if (shown_ != nullptr) {
            shown_->Update(text, percent);
        }
    }
    void DisableCancel() override {
        script_.CancelDisabled = true;
        if (shown_ != nullptr) {
            shown_->DisableCancel();
        }
    }

  private:
    ProgressScript& script_;
    std::unique_ptr<QtProgressDialog> shown_;
};

}  // namespace

QStringList ScriptedDialogs::Messages() const {
    QStringList texts;
    for (const ShownDialog& dialog : Log) {
        if (dialog.Kind == u"message") {
            texts.append(dialog.Text);
        }
    }
    return texts;
}

void ScriptedDialogs::ShowMessage(const QString& text, const QString& title, MessageIcon icon) {
    Open({QStringLiteral("message"), text, title, icon, {}, {}});
}

bool ScriptedDialogs::AskYesNo(const QString& text, const QString& title) {
    Open({QStringLiteral("question"), text, title, MessageIcon::None, {}, {}});
    return YesNo.isEmpty() || YesNo.takeFirst();
}

bool ScriptedDialogs::AskYesNoDefaultNo(const QString& text, const QString& title) {
    Open({QStringLiteral("caution"), text, title, MessageIcon::None, {}, {}});
    return YesNo.isEmpty() || YesNo.takeFirst();
}

QString ScriptedDialogs::GetOpenFileName(const QString& title, const QString& filter,
                                         const QString& currentName) {
    Open({QStringLiteral("open"), {}, title, MessageIcon::None, filter, currentName});
    return Files.isEmpty() ? QString() : Files.takeFirst();
}

std::unique_ptr<ProgressDisplay> ScriptedDialogs::OpenProgress(const QString& title,
                                                               std::function<void()> cancel,
                                                               std::function<void()> close) {
    Log.append({QStringLiteral("progress"), {}, title, MessageIcon::None, {}, {}});
    return std::make_unique<ScriptedProgress>(Progress, title, std::move(cancel), std::move(close));
}

void ScriptedDialogs::Open(const ShownDialog& dialog) {
    Log.append(dialog);
    QWidget* const owner = QApplication::activeWindow();
    std::unique_ptr<QWidget> box;
    if (TakeFocus) {
        box = std::make_unique<QWidget>();
        auto* ok = new QPushButton(QStringLiteral("OK"), box.get());
        box->show();
        QApplication::setActiveWindow(box.get());
        ok->setFocus(Qt::ActiveWindowFocusReason);
    }
    if (WhileOpen) {
        WhileOpen();
    }
    if (box != nullptr) {
        box->hide();
        QApplication::setActiveWindow(owner);
    }
}

Driver::Driver(FileOps* files) : Window(std::make_unique<FrmMain>(&Dialogs, files)) {
    Dialogs.Progress.Owner = Window.get();
    Window->show();
    QApplication::setActiveWindow(Window.get());
}

void Driver::Click(const char* name) const {
    auto* control = Find(name);
    if (!control->isVisible()) {
        qFatal("%s is not shown; a user cannot click it", name);
    }
    // Options and check boxes on their indicator, buttons and boxes in the middle.
    const bool indicator = control->inherits("QRadioButton") || control->inherits("QCheckBox");
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier,
                      indicator ? QPoint(7, control->height() / 2) : control->rect().center());
}

void Driver::Type(const char* name, const QString& text) const {
    Click(name);
    for (const QChar character : text) {
        if (character.unicode() < 0x80) {
            QTest::keyClick(Box(name), character.toLatin1());
        } else {  // a key that types a character beyond ASCII
            QTest::sendKeyEvent(QTest::Click, Box(name), Qt::Key_unknown, QString(character),
                                Qt::NoModifier);
        }
    }
}

void Driver::Key(Qt::Key key, Qt::KeyboardModifiers modifiers) const {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : Window.get(), key, modifiers);
}

void Driver::ChooseFile(const QString& path) {
    Dialogs.Files.append(path);
    Click("cmdOpenFile");
}

void Driver::WindowManagerClose(QWidget* window) {
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(
        window->windowHandle());
}

QString Driver::Focus() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->objectName() : QString();
}

QByteArray Sample(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + 3) % 251);
    }
    return bytes;
}

bool Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace quarnix::testing
