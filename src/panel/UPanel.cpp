// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel/UPanel.h"

#include "panel/PanelKey.h"
#include "resources/Artwork.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kClientWidth = 160;
constexpr int kClientHeight = 493;
constexpr int kValueRight = 77 + 42; // the value labels grow to the left from here
constexpr int kMmaTickMs = 1000;
constexpr int kMmaLongPressTicks = 3;

const QColor kLcdInk(0x1d, 0x24, 0x1a);
const QColor kLcdGlass(0xc2, 0xca, 0xb3);

// The heaviest sans-serif at hand, narrow if possible, for the LCD's digits.
QFont digitFont(int px)
{
    const QStringList families = QFontDatabase::families();
    QFont f(families.contains(QStringLiteral("DejaVu Sans Condensed"))
                ? QStringLiteral("DejaVu Sans Condensed")
                : QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setWeight(QFont::Black);
    return f;
}

QFont sansFont(int px, QFont::Weight weight)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(px);
    f.setWeight(weight);
    return f;
}

QFont uiFont(int px, QFont::Weight weight)
{
    QFont f = QGuiApplication::font();
    f.setPixelSize(px);
    f.setWeight(weight);
    return f;
}

// The font, made narrower and then smaller where needed, so that text fits into width pixels.
QFont fittingFont(QFont f, const QString& text, int width)
{
    if (QFontMetrics(f).horizontalAdvance(text) > width
        && QFontDatabase::families().contains(QStringLiteral("DejaVu Sans Condensed")))
        f.setFamily(QStringLiteral("DejaVu Sans Condensed"));
    while (f.pixelSize() > 8 && QFontMetrics(f).horizontalAdvance(text) > width)
        f.setPixelSize(f.pixelSize() - 1);
    return f;
}

void defaultMessage(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, QGuiApplication::applicationDisplayName(), text);
}

} // namespace

TfrmPanel::TfrmPanel(IPanelHost& host, const std::array<QPixmap, 4>& batteryPictures,
                     QWidget* parent)
    : QWidget(parent), host_(host), batteryPictures_(batteryPictures), showMessage_(defaultMessage)
{
    setObjectName(QStringLiteral("frmPanel"));
    setWindowTitle(QStringLiteral("PANEL"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(sansFont(13, QFont::Bold));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    createElements();
    rememberLayout();

    MMATimer = new QTimer(this);
    MMATimer->setObjectName(QStringLiteral("MMATimer"));
    MMATimer->setInterval(kMmaTickMs);
    connect(MMATimer, &QTimer::timeout, this, [this] { MMATimerTimer(); });

    connect(btnClose, &PanelKey::clicked, this, [this] { btnCloseClick(); });
    connect(btnHOLD, &PanelKey::clicked, this, [this] { btnHOLDClick(); });
    connect(btnRec, &PanelKey::clicked, this, [this] { btnRecClick(); });
    connect(btnCF, &PanelKey::clicked, this, [this] { btnCFClick(); });
    connect(btnT1_T2, &PanelKey::clicked, this, [this] { btnT1_T2Click(); });
    connect(btnMMA, &PanelKey::mouseDown, this, [this] { btnMMAMouseDown(); });
    connect(btnMMA, &PanelKey::mouseUp, this, [this] { btnMMAMouseUp(); });
}

TfrmPanel::~TfrmPanel() = default;

std::array<QPixmap, 4> TfrmPanel::LoadBatteryPictures()
{
    return Artwork::batteryPictures();
}

QLabel* TfrmPanel::image(const char* name, const QRect& area, const QPixmap& picture, bool shown)
{
    auto* label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(area);
    label->setPixmap(picture);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setVisible(shown);
    return label;
}

QLabel* TfrmPanel::lcdText(const char* name, const QRect& area, const QFont& font,
                           const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(area);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, kLcdInk);
    label->setPalette(pal);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

void TfrmPanel::createElements()
{
    using Artwork::mark;
    QPixmap face;
    try {
        face = QPixmap::fromImage(Artwork::facePicture());
    } catch (const std::exception& e) {
        qWarning("front panel picture: %s", e.what());
    }
    imgPanel = image("imgPanel", QRect(0, -1, 160, 495), face, true);
    imgPanel->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    imgPanel->setAttribute(Qt::WA_OpaquePaintEvent);
    imgPanel->installEventFilter(this);

    imgBAT = image("imgBAT", QRect(27, 80, 19, 8), batteryPictures_[0], true);
    Label7 = lcdText("Label7", QRect(8, 81, 8, 16), uiFont(9, QFont::Normal), QStringLiteral("K"));
    lblMIN = image("lblMIN", QRect(55, 80, 15, 8), mark(QStringLiteral("MIN")), false);
    lblMAX = image("lblMAX", QRect(76, 80, 19, 8), mark(QStringLiteral("MAX")), false);
    lblAVG = image("lblAVG", QRect(97, 80, 17, 8), mark(QStringLiteral("AVG")), false);
    imgAutoOff = image("imgAutoOff", QRect(208, 94, 14, 14), mark(QStringLiteral("AUTOOFF")), false);
    imgHOLD = image("imgHOLD", QRect(27, 111, 10, 10), mark(QStringLiteral("HOLD")), false);
    imgK = image("imgK", QRect(24, 123, 18, 18), mark(QStringLiteral("K")), true);
    imgJ = image("imgJ", QRect(25, 138, 16, 15), mark(QStringLiteral("J")), false);
    imgE = image("imgE", QRect(26, 153, 16, 12), mark(QStringLiteral("E")), false);
    imgT = image("imgT", QRect(26, 165, 17, 14), mark(QStringLiteral("T")), false);
    imgREC = image("imgREC", QRect(26, 189, 16, 8), mark(QStringLiteral("REC")), false);
    imgFULL = image("imgFULL", QRect(26, 199, 19, 8), mark(QStringLiteral("FULL")), false);

    static constexpr const char* kNames[] = {"lblT1", "lblT2", "lblT3", "lblT4"};
    static constexpr const char* kValues[] = {"lblT1Value", "lblT2Value", "lblT3Value", "lblT4Value"};
    static constexpr int kNameY[] = {95, 123, 152, 181};
    static constexpr int kValueY[] = {94, 122, 150, 179};
    for (std::size_t i = 0; i < 4; ++i) {
        lblT[i] = lcdText(kNames[i], QRect(41, kNameY[i], 12, 14), sansFont(11, QFont::Normal),
                          QString());
        setNameText(lblT[i], QStringLiteral("T%1").arg(i + 1));
        lblTValue[i] = lcdText(kValues[i], QRect(77, kValueY[i], 42, 23), digitFont(17), QString());
        lblTValue[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setValueText(lblTValue[i], QStringLiteral("-------"));
    }

    const QPixmap degF = mark(QStringLiteral("DEGF"));
    const QPixmap degC = mark(QStringLiteral("DEGC"));
    imgt1F = image("imgt1F", QRect(125, 92, 9, 11), degF, false);
    imgT1C = image("imgT1C", QRect(125, 107, 9, 11), degC, false);
    imgT3F = image("imgT3F", QRect(125, 122, 9, 11), degF, false);
    imgT3C = image("imgT3C", QRect(125, 137, 9, 11), degC, false);
    imgT2F = image("imgT2F", QRect(125, 152, 9, 11), degF, false);
    imgT2C = image("imgT2C", QRect(125, 167, 9, 11), degC, false);
    imgT4F = image("imgT4F", QRect(125, 182, 9, 11), degF, false);
    imgT4C = image("imgT4C", QRect(125, 198, 9, 11), degC, false);

    lblNoConnection = new QLabel(QStringLiteral("No Connection"), this);
    lblNoConnection->setObjectName(QStringLiteral("lblNoConnection"));
    lblNoConnection->setGeometry(16, 88, 123, 20);
    lblNoConnection->setFont(fittingFont(uiFont(17, QFont::Bold), lblNoConnection->text(), 123));
    lblNoConnection->setAlignment(Qt::AlignCenter);
    QPalette red = lblNoConnection->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    // Drawn on a patch of clear glass, so that it reads over the first value row.
    red.setColor(QPalette::Window, kLcdGlass);
    lblNoConnection->setPalette(red);
    lblNoConnection->setAutoFillBackground(true);
    lblNoConnection->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblNoConnection->hide();

    btnClose = new PanelKey(QStringLiteral("btnClose"), QRect(48, 237, 31, 23), this);
    btnClose->setToolTip(QStringLiteral("Close PANEL"));
    btnMMA = new PanelKey(QStringLiteral("btnMMA"), QRect(85, 239, 37, 28), this);
    btnMMA->setToolTip(QStringLiteral(
        "single click to change AVG/MAX/MIN mode, mouse down 2 seconds  to cancel ."));
    btnRec = new PanelKey(QStringLiteral("btnRec"), QRect(45, 273, 34, 31), this);
    btnHOLD = new PanelKey(QStringLiteral("btnHOLD"), QRect(87, 273, 35, 28), this);
    btnT1_T2 = new PanelKey(QStringLiteral("btnT1_T2"), QRect(47, 313, 33, 28), this);
    btnCF = new PanelKey(QStringLiteral("btnCF"), QRect(86, 312, 35, 29), this);
}

void TfrmPanel::setValueText(QLabel* label, const QString& text)
{
    // Right-aligned, the width follows the text and the right edge stays where it is.
    label->setText(text);
    const int width = label->fontMetrics().horizontalAdvance(text) + 2;
    const QRect g = label->geometry();
    const int right = scaled(kValueRight);
    label->setGeometry(right - width, g.y(), width, g.height());
}

void TfrmPanel::setNameText(QLabel* label, const QString& text)
{
    // The width follows the text and the left edge stays where it is ("T1-T2" is wider).
    label->setText(text);
    const QRect g = label->geometry();
    label->setGeometry(g.x(), g.y(),
                       qMax(scaled(12), label->fontMetrics().horizontalAdvance(text) + 1),
                       g.height());
}

void TfrmPanel::ShowDisplay(const PanelDisplay& d)
{
    setPicture(imgBAT, batteryPictures_[std::size_t(d.battery & 3)]);
    imgFULL->setVisible(d.full);
    imgREC->setVisible(d.rec);
    imgHOLD->setVisible(d.hold);
    const auto apply = [](QLabel* label, const std::optional<bool>& shown) {
        if (shown)
            label->setVisible(*shown);
    };
    apply(imgK, d.k);
    apply(imgJ, d.j);
    apply(imgE, d.e);
    apply(imgT, d.t);
    apply(lblMAX, d.max);
    apply(lblMIN, d.min);
    apply(lblAVG, d.avg);
    imgAutoOff->setVisible(d.autoOff);
    imgT1C->setVisible(d.t1C);
    imgt1F->setVisible(d.t1F);
    for (QLabel* c : {imgT2C, imgT3C, imgT4C})
        c->setVisible(d.rowsC);
    for (QLabel* f : {imgT2F, imgT3F, imgT4F})
        f->setVisible(d.rowsF);
    for (std::size_t i = 0; i < 4; ++i) {
        if (d.name[i])
            setNameText(lblT[i], *d.name[i]);
        if (d.value[i])
            setValueText(lblTValue[i], *d.value[i]);
    }
}

void TfrmPanel::SetChannelAlarm(int channel, const QString& text)
{
    QString& shown = alarmTexts_[std::size_t(channel)];
    if (shown == text)
        return;
    shown = text;
    for (QLabel* label : {lblT[std::size_t(channel)], lblTValue[std::size_t(channel)]}) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, text.isEmpty() ? kLcdInk : QColor(0xd0, 0x00, 0x00));
        label->setPalette(pal);
    }
}

void TfrmPanel::ShowMaxMinBlink(bool on)
{
    lblMAX->setVisible(on);
    lblMIN->setVisible(on);
}

void TfrmPanel::SetNoConnectionVisible(bool on)
{
    lblNoConnection->setVisible(on);
}

// ---- the scale

void TfrmPanel::rememberLayout()
{
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        Layout l;
        l.geometry = w->geometry();
        if (w->font().pixelSize() > 0 && w->font().resolveMask() != 0)
            l.fontPixels = w->font().pixelSize();
        if (auto* label = qobject_cast<QLabel*>(w))
            l.picture = label->pixmap();
        layout_.insert(w, l);
    }
}

int TfrmPanel::scaled(int pixels) const
{
    return int(std::lround(pixels * scale_));
}

QRect TfrmPanel::scaled(const QRect& r) const
{
    return {scaled(r.x()), scaled(r.y()), scaled(r.width()), scaled(r.height())};
}

// The picture at the size of its element, drawn for the screen's pixels.
QPixmap TfrmPanel::scaledPicture(const QPixmap& picture, const QSize& size) const
{
    if (picture.isNull() || scale_ == 1.0)
        return picture;
    const qreal ratio = devicePixelRatioF();
    QPixmap p = picture.scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    p.setDevicePixelRatio(ratio);
    return p;
}

void TfrmPanel::setPicture(QLabel* label, const QPixmap& picture)
{
    auto it = layout_.find(label);
    if (it == layout_.end()) {
        label->setPixmap(picture);
        return;
    }
    it->picture = picture;
    label->setPixmap(scaledPicture(picture, scaled(picture.rect()).size()));
}

void TfrmPanel::SetScale(double scale)
{
    scale = std::clamp(std::round(scale / kScaleStep) * kScaleStep, kMinScale, kMaxScale);
    if (scale == scale_)
        return;
    scale_ = scale;
    applyScale();
}

void TfrmPanel::applyScale()
{
    setFixedSize(scaled(kClientWidth), scaled(kClientHeight));
    for (auto it = layout_.cbegin(); it != layout_.cend(); ++it) {
        QWidget* w = it.key();
        const Layout& l = it.value();
        w->setGeometry(scaled(l.geometry));
        if (l.fontPixels > 0) {
            QFont f = w->font();
            f.setPixelSize(std::max(1, scaled(l.fontPixels)));
            w->setFont(f);
        }
        if (auto* label = qobject_cast<QLabel*>(w); label && !l.picture.isNull())
            label->setPixmap(scaledPicture(l.picture, w == imgPanel ? w->size()
                                                                     : scaled(l.picture.rect()).size()));
    }
    // The texts whose width follows them.
    for (std::size_t i = 0; i < 4; ++i) {
        setNameText(lblT[i], lblT[i]->text());
        setValueText(lblTValue[i], lblTValue[i]->text());
    }
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->adjustSize();
}

double TfrmPanel::ScreenScale(const QScreen* screen)
{
    if (!screen)
        return kMinScale;
    const double ratio = screen->logicalDotsPerInch() / 96.0;
    return std::clamp(std::floor(ratio / kScaleStep + 0.25) * kScaleStep, kMinScale, kMaxScale);
}

void TfrmPanel::chooseScale(double scale)
{
    const double before = scale_;
    SetScale(scale);
    if (scale_ != before)
        emit scaleChosen(scale_);
}

void TfrmPanel::showScaleMenu(const QPoint& globalPos)
{
    QMenu menu(this);
    QAction* larger = menu.addAction(QStringLiteral("Larger"));
    QAction* smaller = menu.addAction(QStringLiteral("Smaller"));
    QAction* normal = menu.addAction(QStringLiteral("Normal Size"));
    larger->setEnabled(scale_ < kMaxScale);
    smaller->setEnabled(scale_ > kMinScale);
    normal->setEnabled(scale_ != kMinScale);
    QAction* chosen = menu.exec(globalPos);
    if (chosen == larger)
        chooseScale(scale_ + kScaleStep);
    else if (chosen == smaller)
        chooseScale(scale_ - kScaleStep);
    else if (chosen == normal)
        chooseScale(kMinScale);
}

// ---- window events

void TfrmPanel::FormActivate()
{
    host_.PanelActivated();
}

bool TfrmPanel::FormCloseQuery()
{
    // The blink handler may be running further down this thread's stack; let it finish.
    while (host_.InMaxMinTick()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void TfrmPanel::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    MMATimer->stop();
    mmaPressed_ = false;
    mmaTicks_ = 0;
    if (!closeReported_) {
        closeReported_ = true;
        host_.PanelClosed();
    }
}

bool TfrmPanel::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange)
        watchSubWindow();
    if (event->type() == QEvent::Show)
        closeReported_ = false;
    return QWidget::event(event);
}

void TfrmPanel::watchSubWindow()
{
    disconnect(activation_);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        activation_ = connect(sub, &QMdiSubWindow::aboutToActivate, this, [this] { FormActivate(); });
}

QWidget* TfrmPanel::moveTarget()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        return sub;
    return this;
}

void TfrmPanel::btnCloseClick()
{
    moveTarget()->close();
}

// ---- dragging the picture moves the window

bool TfrmPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != imgPanel)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        imgPanelMouseDown(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::ContextMenu:
        showScaleMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    case QEvent::Wheel: {
        auto* e = static_cast<QWheelEvent*>(event);
        if (!(e->modifiers() & Qt::ControlModifier) || e->angleDelta().y() == 0)
            break;
        chooseScale(scale_ + (e->angleDelta().y() > 0 ? kScaleStep : -kScaleStep));
        return true;
    }
    case QEvent::MouseMove:
        if (dragging_) {
            auto* e = static_cast<QMouseEvent*>(event);
            moveTarget()->move(dragStartPos_ + (e->globalPosition().toPoint() - dragStartGlobal_));
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            dragging_ = false;
        return true;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmPanel::imgPanelMouseDown(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    dragging_ = true;
    dragStartGlobal_ = event->globalPosition().toPoint();
    dragStartPos_ = moveTarget()->pos();
}

// ---- the keys

void TfrmPanel::btnHOLDClick() { host_.SendKey(Cmd::Hold); }
void TfrmPanel::btnRecClick() { host_.SendKey(Cmd::Rec); }
void TfrmPanel::btnCFClick() { host_.SendKey(Cmd::CelsiusFahrenheit); }
void TfrmPanel::btnT1_T2Click() { host_.SendKey(Cmd::Difference); }

void TfrmPanel::btnMMAMouseDown()
{
    mmaPressed_ = true;
    mmaTicks_ = 0;
    MMATimer->start();
}

void TfrmPanel::MMATimerTimer()
{
    ++mmaTicks_;
    if (mmaTicks_ < kMmaLongPressTicks)
        return;
    mmaPressed_ = false;
    mmaTicks_ = 0;
    MMATimer->stop();
    host_.SendKey(Cmd::MmaCancel);
}

void TfrmPanel::btnMMAMouseUp()
{
    if (!host_.IsConnected()) {
        // The press is over: a long press can no longer fire later, when the link may be back.
        mmaPressed_ = false;
        mmaTicks_ = 0;
        MMATimer->stop();
        showMessage_(this, QStringLiteral("No Connection"));
        return;
    }
    if (!mmaPressed_)
        return;
    mmaPressed_ = false;
    mmaTicks_ = 0;
    MMATimer->stop();
    host_.SendKey(Cmd::MmaNext);
}
