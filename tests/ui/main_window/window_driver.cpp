#include "window_driver.h"

#include <QPushButton>

namespace quarnix::testing {

QStringList ScriptedDialogs::Messages() const {
    QStringList texts;
    for (const ShownDialog& dialog : Log) {
        if (dialog.Kind == u"message") {
            texts.append(dialog.Text);
        }
    }
    return texts;
}

void ScriptedDialogs::ShowMessage(const QString& text, const QString& title, OutcomeIcon icon) {
    Open({QStringLiteral("message"), text, title, icon, {}, {}});
}

bool ScriptedDialogs::AskYesNo(const QString& text, const QString& title) {
    Open({QStringLiteral("question"), text, title, OutcomeIcon::None, {}, {}});
    return YesNo.isEmpty() || YesNo.takeFirst();
}

QString ScriptedDialogs::GetOpenFileName(const QString& title, const QString& filter,
                                         const QString& currentName) {
    Open({QStringLiteral("open"), {}, title, OutcomeIcon::None, filter, currentName});
    return Files.isEmpty() ? QString() : Files.takeFirst();
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

Driver::Driver() : Window(std::make_unique<FrmMain>(&Dialogs)) {
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

QString Driver::Focus() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->objectName() : QString();
}

}  // namespace quarnix::testing
