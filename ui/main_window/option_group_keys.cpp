// SPDX-License-Identifier: GPL-3.0-or-later
#include "option_group_keys.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QKeyEvent>

namespace quarnix {

namespace {

// +1 for the next option, -1 for the one before, 0 for another key.
int StepOf(const QKeyEvent& key) {
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return 0;
    }
    switch (key.key()) {
        case Qt::Key_Right:
        case Qt::Key_Down:
            return 1;
        case Qt::Key_Left:
        case Qt::Key_Up:
            return -1;
        default:
            return 0;
    }
}

}  // namespace

OptionGroupKeys::OptionGroupKeys(QButtonGroup* group) : QObject(group), group_(group) {}

void OptionGroupKeys::Install(QButtonGroup* group) {
    auto* keys = new OptionGroupKeys(group);
    for (QAbstractButton* option : group->buttons()) {
        option->installEventFilter(keys);
    }
}

bool OptionGroupKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int step = StepOf(*static_cast<QKeyEvent*>(event));
    const QList<QAbstractButton*> options = group_->buttons();
    const qsizetype at = options.indexOf(static_cast<QAbstractButton*>(watched));
    if (step == 0 || at < 0) {
        return false;
    }
    // The next option that can be chosen; the one pressed when there is none.
    for (qsizetype i = 1; i <= options.size(); ++i) {
        QAbstractButton* next = options[(at + step * i + options.size() * 2) % options.size()];
        if (next->isVisible() && next->isEnabled()) {
            next->click();
            next->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            break;
        }
    }
    return true;
}

}  // namespace quarnix
