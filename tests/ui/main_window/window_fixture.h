#pragma once
// Helpers shared by the main window's tests: a shown and active FrmMain driven
// by a ScriptedDialogs, and its controls found by name.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "frm_main.h"
#include "scripted_dialogs.h"

namespace quarnix::testing {

struct ShownWindow {
    ScriptedDialogs Dialogs;
    std::unique_ptr<FrmMain> Window;

    ShownWindow();
    ~ShownWindow();

    template <typename Control>
    Control* Find(const char* name) const {
        auto* control = Window->findChild<Control*>(QString::fromLatin1(name));
        if (control == nullptr) {
            qFatal("no control named %s", name);
        }
        return control;
    }
    QLineEdit* Box(const char* name) const { return Find<QLineEdit>(name); }

    // Real events: a left click, typed text, one key.
    void Click(const char* name) const;
    void Type(const char* name, const QString& text) const;
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const;

    // Clicks cmdOpenFile with the file dialog answering `path` (empty: cancel).
    void ChooseFile(const QString& path);

    QString FocusName() const;
};

}  // namespace quarnix::testing
