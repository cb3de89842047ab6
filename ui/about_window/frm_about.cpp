// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/about_window/frm_about.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "assets/quarnix_assets.h"
#include "engine/product.h"
#include "ui/about_window/about_texts.h"
#include "ui/about_window/link_label.h"
#include "ui/about_window/url_opener.h"

// The logo lives in this library's own resource file, which a static library has to
// register explicitly; Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace quarnix {
namespace {

// Positions in twips (1/1440 inch) as designed, placed at 15 twips per pixel.
constexpr int Px(int twips) {
    return (twips + 7) / 15;
}

// A label that sizes itself to its text, with its top left corner at (left, top).
QLabel* PlaceLabel(QLabel* label, int left, int top) {
    label->move(Px(left), Px(top));
    label->adjustSize();
    return label;
}

}  // namespace

frmAbout::frmAbout(UrlOpener& opener)
    : QDialog(nullptr,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      opener_(opener) {
    RegisterAboutResources();
    setObjectName(QStringLiteral("frmAbout"));
    // Closing the window unloads it; the next Open loads a fresh one.
    setAttribute(Qt::WA_DeleteOnClose);
    // Qt takes Qt::Tool windows out of the count of open windows that decides when
    // the program ends. This window counts like the main window: the program ends
    // when the last of the two closes, whichever it is.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(about::WindowTitle());
    setWindowIcon(assets::WindowIcon());
    setSizeGripEnabled(false);
    BuildControls();
    Form_Load();
}

void frmAbout::BuildControls() {
    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(QPixmap(QStringLiteral(":/about/logo.png")));
    picIcon->setFrameStyle(QFrame::Box | QFrame::Plain);
    picIcon->setLineWidth(1);
    picIcon->setAutoFillBackground(true);
    picIcon->setBackgroundRole(QPalette::Base);
    picIcon->setToolTip(about::LogoToolTip());
    PlaceLabel(picIcon, 105, 105);

    lblTitle = new QLabel(QString::fromUtf16(ProductName), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QPalette black = lblTitle->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    lblTitle->setPalette(black);
    PlaceLabel(lblTitle, 1890, 210);

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->move(Px(4200), Px(210));

    Label5 = PlaceLabel(new QLabel(QStringLiteral(u"为您的文件提供绝密级保护!"), this), 1890, 600);
    Label5->setObjectName(QStringLiteral("Label5"));

    lblWeb = new LinkLabel(about::WebLabel(), this);
    lblWeb->setObjectName(QStringLiteral("lblWeb"));
    PlaceLabel(lblWeb, 1890, 980);
    connect(lblWeb, &LinkLabel::clicked, this, &frmAbout::lblWeb_Click);

    Label6 = PlaceLabel(new QLabel(about::ContactLine(), this), 1890, 1365);
    Label6->setObjectName(QStringLiteral("Label6"));

    Line1 = new QWidget(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setAutoFillBackground(true);
    Line1->setBackgroundRole(QPalette::Dark);  // the colour of a button's shadow
    Line1->setGeometry(Px(105), Px(1680), Px(6405) - Px(105), 1);

    cmdOK = new QPushButton(QStringLiteral(u"确定"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Px(5040), Px(1785), Px(1050), Px(345));
    cmdOK->setDefault(true);  // Enter presses it; Esc closes the dialog as well
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    LblXKXY = new LinkLabel(QStringLiteral(u"查看软件使用许可协议"), this);
    LblXKXY->setObjectName(QStringLiteral("LblXKXY"));
    PlaceLabel(LblXKXY, 210, 1995);
    connect(LblXKXY, &LinkLabel::clicked, this, &frmAbout::LblXKXY_Click);

    TxtXKXY = new QPlainTextEdit(this);
    TxtXKXY->setObjectName(QStringLiteral("TxtXKXY"));
    TxtXKXY->setGeometry(Px(180), Px(2310), Px(6180), Px(1560));
    TxtXKXY->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    TxtXKXY->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TxtXKXY->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

// Runs once for each load of the window, before it is shown.
void frmAbout::Form_Load() {
    SetClientHeight(kCollapsedClientHeight);
    lblVersion->setText(about::VersionLabel(VersionMajor, VersionMinor, VersionRevision));
    lblVersion->adjustSize();
    TxtXKXY->setPlainText(about::UsageAgreement());
    TxtXKXY->hide();
    cmdOK->setFocus();
    CentreOnScreen();
}

// The window cannot be resized by the user; a new height keeps the top edge where
// it is, so the window grows downwards.
void frmAbout::SetClientHeight(int height) {
    setFixedSize(kClientWidth, height);
}

// Centres the window with its collapsed outer size on the screen it opens on.
void frmAbout::CentreOnScreen() {
    const QRect area = screen()->availableGeometry();
    move(area.x() + (area.width() - kClientWidth) / 2,
         area.y() + (area.height() - kCollapsedOuterHeight) / 2);
}

void frmAbout::cmdOK_Click() {
    close();
}

void frmAbout::lblWeb_Click() {
    opener_.OpenUrl(about::HomePage());
}

void frmAbout::LblXKXY_Click() {
    SetClientHeight(kExpandedClientHeight);
    TxtXKXY->show();
}

}  // namespace quarnix
