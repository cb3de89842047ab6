#include "window_fixture.h"

#include <QAbstractButton>
#include <QPushButton>

namespace quarnix::testing {

ShownWindow::ShownWindow() : Window(std::make_unique<FrmMain>(&Dialogs)) {
    Window->show();
    QApplication::setActiveWindow(Window.get());
}

ShownWindow::~ShownWindow() {
    Window.reset();
}

void ShownWindow::Click(const char* name) const {
    auto* control = Find<QWidget>(name);
    if (!control->isVisible()) {
        qFatal("%s is not shown; a user cannot click it", name);
    }
    // An option or a check box is clicked on its indicator, inside its own
    // rectangle even where the caption runs past it.
    QPoint where = control->rect().center();
    if (qobject_cast<QAbstractButton*>(control) != nullptr &&
        qobject_cast<QPushButton*>(control) == nullptr) {
        where = QPoint(7, control->height() / 2);
    }
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, where);
}

void ShownWindow::Type(const char* name, const QString& text) const {
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

void ShownWindow::Key(Qt::Key key, Qt::KeyboardModifiers modifiers) const {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target != nullptr ? target : Window.get(), key, modifiers);
}

void ShownWindow::ChooseFile(const QString& path) {
    Dialogs.AnswerOpenFile(path);
    Click("cmdOpenFile");
}

QString ShownWindow::FocusName() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus != nullptr ? focus->objectName() : QString();
}

}  // namespace quarnix::testing
