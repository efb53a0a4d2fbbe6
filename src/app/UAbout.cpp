// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/UAbout.h"

#include "app/VersionInfo.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace {

constexpr int kClientWidth = 311;
constexpr int kClientHeight = 95;
constexpr int kMargin = 8;

const char* const kCopyright = "Copyright \u00a9 2026 the KOLVA Thermometer developers";
const char* const kLicence =
    "Free software under the GNU General Public License, version 3 or later "
    "(GPL-3.0-or-later). It comes with ABSOLUTELY NO WARRANTY.";

QLabel* makeLabel(QWidget* parent, const char* name, int x, int y, int pixelSize, bool bold)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    QFont f = label->font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    label->setFont(f);
    label->move(x, y);
    return label;
}

} // namespace

namespace {

// The dialog has a title bar with its close button; the splash is a bare box, as splashes are.
Qt::WindowFlags flagsFor(TfrmAbout::Mode mode)
{
    if (mode == TfrmAbout::Mode::Splash)
        return Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    return Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint
           | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

} // namespace

TfrmAbout::TfrmAbout(Mode mode, QWidget* parent)
    : QDialog(parent, flagsFor(mode))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    QFont base = font();
    base.setPixelSize(11);
    setFont(base);

    Label3 = makeLabel(this, "Label3", 8, 16, 16, true);
    QFont f3 = Label3->font();
    f3.setItalic(true);
    Label3->setFont(f3);
    Label3->setText(QStringLiteral("Four Channel Thermometer Software"));
    Label3->setStyleSheet(QStringLiteral("color: blue;"));

    Label4 = makeLabel(this, "Label4", 72, 42, 11, false);
    Label4->resize(kClientWidth - 72 - 4, 16);

    Label1 = makeLabel(this, "Label1", 8, 59, 13, true);
    Label1->setText(QStringLiteral("Version:"));
    Label2 = makeLabel(this, "Label2", 72, 59, 13, true);

    for (QLabel* l : {Label1, Label2, Label3})
        l->adjustSize();

    // The box keeps its designed size unless the platform's font makes the title wider; then it
    // grows just enough for the title, and the OK button keeps its place at the right edge.
    const int width = std::max(kClientWidth, Label3->x() + Label3->width() + 8);
    const int grow = width - kClientWidth;

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtn1->setGeometry(216 + grow, 64, 75, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TfrmAbout::BitBtn1Click);

    VersionInfo1 = new TVersionInfo(this);
    VersionInfo1->setObjectName(QStringLiteral("VersionInfo1"));
    VersionInfo1->SetFileVersionLabel(Label2);
    Label2->adjustSize();

    // Below the designed box: the copyright and the licence, across its whole width.
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    rule->setGeometry(kMargin, kClientHeight, width - 2 * kMargin, 2);
    lblCopyright = makeLabel(this, "lblCopyright", kMargin, kClientHeight + 6, 11, false);
    lblCopyright->setText(QString::fromUtf8(kCopyright));
    lblCopyright->resize(width - 2 * kMargin, lblCopyright->sizeHint().height());
    lblLicence = makeLabel(this, "lblLicence", kMargin,
                           lblCopyright->geometry().bottom() + 3, 11, false);
    lblLicence->setWordWrap(true);
    lblLicence->setText(QString::fromLatin1(kLicence));
    lblLicence->resize(width - 2 * kMargin, lblLicence->heightForWidth(width - 2 * kMargin));

    setFixedSize(width, lblLicence->geometry().bottom() + 1 + kMargin);
    Label4->resize(width - Label4->x() - 4, Label4->height());

    if (mode == Mode::Splash) {
        BitBtn1->hide();
        setAttribute(Qt::WA_DeleteOnClose); // closing the splash frees it
        // Without a title bar, a thin frame sets it off from what lies behind.
        auto* frame = new QFrame(this);
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(QFrame::Plain);
        frame->setGeometry(rect());
        frame->lower();
    }

    // Centred on the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width / 2, height() / 2));
    }
}

void TfrmAbout::ShowSplash()
{
    show();
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfrmAbout::SetProgress(const QString& text)
{
    Label4->setText(text);
    Label4->repaint();
}

void TfrmAbout::BitBtn1Click()
{
    accept();
}
