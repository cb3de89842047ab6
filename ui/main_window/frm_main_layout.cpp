// SPDX-License-Identifier: GPL-3.0-or-later
// Builds FrmMain from its layout: every control at its place, in twips turned
// into pixels, with its caption and its state at start.

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "assets/quarnix_assets.h"
#include "control_styles.h"
#include "engine/product.h"
#include "enter_presses_button.h"
#include "frm_main.h"
#include "option_group_keys.h"
#include "password_line_edit.h"
#include "picture_box.h"
#include "twips.h"

namespace quarnix {

namespace {

const QColor DarkRed(192, 0, 0);

template <typename Control>
Control* Place(Control* control, const char* name, const QRect& rect) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(rect);
    return control;
}

template <typename Button>
Button* MakeButton(QWidget* parent, const char* name, const char16_t* caption, const QRect& rect) {
    auto* button = Place(new Button(parent), name, rect);
    button->setText(texts::Q(caption));
    return button;
}

// A label sizes itself to its caption; its top left corner stays in place.
QLabel* MakeLabel(QWidget* parent, const char* name, const char16_t* caption, int leftTwips,
                  int topTwips) {
    auto* label = new QLabel(texts::Q(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(Pixels(leftTwips), Pixels(topTwips));
    label->adjustSize();
    return label;
}

QPushButton* MakeCommandButton(QWidget* parent, const char* name, const char16_t* caption,
                               const QRect& rect) {
    auto* button = MakeButton<QPushButton>(parent, name, caption, rect);
    // Enter and Esc press nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// Exactly one option of a group is selected. Radio buttons left to themselves
// would form one group of every option under the window, the task options of
// Frame1 included.
QButtonGroup* MakeOptionGroup(QWidget* owner, std::initializer_list<QRadioButton*> options) {
    auto* group = new QButtonGroup(owner);
    group->setExclusive(true);
    for (QRadioButton* option : options) {
        group->addButton(option);
    }
    return group;
}

void PaintDarkRed(QWidget* control, QPalette::ColorRole role) {
    QPalette palette = control->palette();
    palette.setColor(role, DarkRed);
    control->setPalette(palette);
}

}  // namespace

void FrmMain::BuildControls() {
    setWindowTitle(QString::fromUtf16(ApplicationTitle));
    setWindowIcon(assets::WindowIcon());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Pixels(5445), Pixels(5355));

    Frame1 = Place(new QGroupBox(texts::Q(texts::Frame1), this), "Frame1",
                   TwipsRect(120, 120, 4050, 585));
    OptEncryptTask = MakeButton<QRadioButton>(Frame1, "OptEncryptTask", texts::OptEncryptTask,
                                              TwipsRect(885, 255, 975, 180));
    OptDecryptTask = MakeButton<QRadioButton>(Frame1, "OptDecryptTask", texts::OptDecryptTask,
                                              TwipsRect(2415, 225, 855, 255));
    TaskGroup = MakeOptionGroup(this, {OptEncryptTask, OptDecryptTask});
    OptEncryptTask->setChecked(true);

    LblFileName = MakeLabel(this, "LblFileName", texts::EncryptCaptions.LblFileName, 150, 810);
    TxtFileName = Place(new QLineEdit(this), "TxtFileName", TwipsRect(135, 1050, 4005, 300));
    // It shows the file the commands act on and nothing else; the path can be
    // selected and copied, and the file chooser names another.
    TxtFileName->setReadOnly(true);
    cmdOpenFile = MakeCommandButton(this, "cmdOpenFile", texts::CmdOpenFile,
                                    TwipsRect(4200, 1050, 1095, 300));

    LblLevel = MakeLabel(this, "LblLevel", texts::EncryptCaptions.LblLevel, 210, 1575);
    OptSecret = MakeButton<QRadioButton>(this, "OptSecret", texts::OptSecret,
                                         TwipsRect(1305, 1612, 1155, 210));
    OptSecretter = MakeButton<QRadioButton>(this, "OptSecretter", texts::OptSecretter,
                                            TwipsRect(2565, 1582, 1155, 270));
    OptTopSecret = MakeButton<QRadioButton>(this, "OptTopSecret", texts::OptTopSecret,
                                            TwipsRect(3855, 1597, 1200, 240));
    LevelGroup = MakeOptionGroup(this, {OptSecret, OptSecretter, OptTopSecret});
    OptSecret->setChecked(true);

    Label11 = MakeLabel(this, "Label11", texts::Label11, 570, 2055);
    TxtPass1 = Place(new PasswordLineEdit(this), "TxtPass1", TwipsRect(1080, 2010, 3570, 300));
    Label12 = MakeLabel(this, "Label12", texts::Label12, 210, 2430);
    TxtPass2 = Place(new PasswordLineEdit(this), "TxtPass2", TwipsRect(1080, 2392, 3570, 300));
    LblPass3 = MakeLabel(this, "LblPass3", texts::LblPass3, 480, 2880);
    TxtPass3 = Place(new PasswordLineEdit(this), "TxtPass3", TwipsRect(1080, 2842, 3570, 300));
    LblPass4 = MakeLabel(this, "LblPass4", texts::LblPass4, 120, 3225);
    TxtPass4 = Place(new PasswordLineEdit(this), "TxtPass4", TwipsRect(1080, 3220, 3570, 300));
    PaintDarkRed(LblPass3, QPalette::WindowText);
    PaintDarkRed(LblPass4, QPalette::WindowText);
    PaintDarkRed(TxtPass3, QPalette::Text);
    PaintDarkRed(TxtPass4, QPalette::Text);
    for (QWidget* hidden : {static_cast<QWidget*>(TxtPass3), static_cast<QWidget*>(TxtPass4),
                            static_cast<QWidget*>(LblPass3), static_cast<QWidget*>(LblPass4)}) {
        hidden->hide();
    }

    Frame2 = Place(new QGroupBox(texts::Q(texts::Frame2), this), "Frame2",
                   TwipsRect(135, 3720, 5160, 1035));
    ChkBak = MakeButton<QCheckBox>(Frame2, "ChkBak", texts::EncryptCaptions.ChkBak,
                                   TwipsRect(195, 345, 2235, 255));
    ChkBak->setChecked(true);
    ChkMarkFile = MakeButton<QCheckBox>(Frame2, "ChkMarkFile", texts::EncryptCaptions.ChkMarkFile,
                                        TwipsRect(195, 690, 2265, 225));
    ChkMarkFile->setChecked(true);

    CmdEncrypt =
        MakeCommandButton(this, "CmdEncrypt", texts::CmdEncrypt, TwipsRect(1500, 4890, 975, 375));
    CmdQuit = MakeCommandButton(this, "CmdQuit", texts::CmdQuit, TwipsRect(3165, 4890, 975, 375));
    CmdDecrypt =
        MakeCommandButton(this, "CmdDecrypt", texts::CmdDecrypt, TwipsRect(1500, 4890, 975, 375));
    CmdDecrypt->hide();

    PicInfor = Place(new PictureBox(this), "PicInfor", TwipsRect(5040, 4935, 210, 210));
    PicInfor->setPixmap(assets::InformationPicture());
    PicInfor->setCursor(assets::HandCursor());

    Frame1->setStyle(&FrameStyle());
    Frame2->setStyle(&FrameStyle());
    SetTabOrder();
    KeepOneTabStopPerOptionGroup();
    OptionGroupKeys::Install(TaskGroup);
    OptionGroupKeys::Install(LevelGroup);
    cmdOpenFile->installEventFilter(this);  // Alt+B: frm_main_keys.cpp
    for (QPushButton* button : {cmdOpenFile, CmdEncrypt, CmdQuit, CmdDecrypt}) {
        EnterPressesButton::Install(button);
    }
    OptEncryptTask->setFocus();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void FrmMain::SetTabOrder() {
    // In rising tab index. The level group comes last although it stands
    // above the password boxes.
    const QList<QWidget*> order{OptEncryptTask, OptDecryptTask, TxtFileName,  cmdOpenFile,
                                TxtPass1,       TxtPass2,       TxtPass3,     TxtPass4,
                                ChkBak,         ChkMarkFile,    CmdEncrypt,   CmdQuit,
                                CmdDecrypt,     OptTopSecret,   OptSecretter, OptSecret};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
}

// An option group is one tab stop, at its selected option; the arrow keys
// move within the group (OptionGroupKeys).
void FrmMain::KeepOneTabStopPerOptionGroup() {
    for (QAbstractButton* option : TaskGroup->buttons() + LevelGroup->buttons()) {
        const auto follow = [option](bool selected) {
            option->setFocusPolicy(selected ? Qt::StrongFocus : Qt::ClickFocus);
        };
        follow(option->isChecked());
        connect(option, &QAbstractButton::toggled, option, follow);
    }
}

}  // namespace quarnix
