// SPDX-License-Identifier: GPL-3.0-or-later
// The front panel window, offscreen, with a host that records what the panel asks of it.

#include "link/LiveDecoder.h"
#include "FrameBuilder.h"
#include "resources/JpegImage.h"
#include "panel/PanelKey.h"
#include "panel/UPanel.h"
#include "resources/Artwork.h"

#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

struct FakeHost : IPanelHost {
    std::string sent;
    bool connected = true;
    bool inMaxMinTick = false;
    int activated = 0;
    int closed = 0;
    void SendKey(char letter) override { sent += letter; }
    bool IsConnected() const override { return connected; }
    bool InMaxMinTick() const override { return inMaxMinTick; }
    void PanelActivated() override { ++activated; }
    void PanelClosed() override { ++closed; }
};

struct PanelFixture : ::testing::Test {
    FakeHost host;
    std::unique_ptr<TfrmPanel> panel =
        std::make_unique<TfrmPanel>(host, TfrmPanel::LoadBatteryPictures());
    QStringList messages;

    PanelFixture()
    {
        panel->SetMessageFunction([this](QWidget*, const QString& t) { messages << t; });
        panel->show();
    }
    template <class T = QLabel>
    T* child(const char* name) const
    {
        auto* w = panel->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void click(const char* key)
    {
        QTest::mouseClick(child<PanelKey>(key), Qt::LeftButton);
    }
};

TEST_F(PanelFixture, LayoutAsOnTheForm)
{
    EXPECT_EQ(panel->size(), QSize(160, 493));
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("PANEL"));
    struct Spot { const char* name; QRect area; bool shown; };
    const Spot spots[] = {
        {"imgPanel", {0, -1, 160, 495}, true},   {"btnClose", {48, 237, 31, 23}, true},
        {"btnMMA", {85, 239, 37, 28}, true},     {"btnRec", {45, 273, 34, 31}, true},
        {"btnHOLD", {87, 273, 35, 28}, true},    {"btnT1_T2", {47, 313, 33, 28}, true},
        {"btnCF", {86, 312, 35, 29}, true},      {"lblNoConnection", {16, 88, 123, 20}, false},
        {"imgBAT", {27, 80, 19, 8}, true},       {"lblMIN", {55, 80, 15, 8}, false},
        {"lblMAX", {76, 80, 19, 8}, false},      {"lblAVG", {97, 80, 17, 8}, false},
        {"imgAutoOff", {208, 94, 14, 14}, false}, {"imgK", {24, 123, 18, 18}, true},
        {"imgT", {26, 165, 17, 14}, false},      {"imgFULL", {26, 199, 19, 8}, false},
        {"imgt1F", {125, 92, 9, 11}, false},     {"imgT1C", {125, 107, 9, 11}, false},
        {"imgT3F", {125, 122, 9, 11}, false},    {"imgT4C", {125, 198, 9, 11}, false},
    };
    for (const Spot& s : spots) {
        QWidget* w = child<QWidget>(s.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), s.area) << s.name;
        EXPECT_EQ(!w->isHidden(), s.shown) << s.name;
    }
    for (const char* key : {"btnClose", "btnMMA", "btnRec", "btnHOLD", "btnT1_T2", "btnCF"})
        EXPECT_EQ(child<QWidget>(key)->cursor().shape(), Qt::PointingHandCursor) << key;
    EXPECT_EQ(child("btnClose")->toolTip(), QStringLiteral("Close PANEL"));
    EXPECT_EQ(child("lblNoConnection")->text(), QStringLiteral("No Connection"));
    // Values start as dashes, right-aligned against the fixed right edge.
    for (const char* v : {"lblT1Value", "lblT4Value"}) {
        EXPECT_EQ(child(v)->text(), QStringLiteral("-------"));
        EXPECT_EQ(child(v)->geometry().right() + 1, 119) << v;
    }
    EXPECT_EQ(child("lblT3")->geometry().topLeft(), QPoint(41, 152));
    EXPECT_EQ(child("imgBAT")->pixmap().size(), QSize(19, 8));
}

TEST_F(PanelFixture, DisplayFollowsDecodedFrames)
{
    LiveReading reading;
    DecoderState state;
    FrameBuilder b;
    b.statusA(0x28).statusB(0x02 | 0x10).channel(1, 250).channel(2, 205).channel(4, -2000);
    panel->ShowDisplay(DecodeLiveFrame(b.frame(), reading, state, QLocale::c()));
    EXPECT_EQ(child("lblT3")->text(), QStringLiteral("T1-T2"));
    EXPECT_EQ(child("lblT3Value")->text(), QStringLiteral("4.5"));
    EXPECT_EQ(child("lblT4Value")->text(), QStringLiteral("-200.0"));
    EXPECT_EQ(child("lblT4Value")->geometry().right() + 1, 119);
    EXPECT_GT(child("lblT3")->width(), 12) << "the name grows to the right for T1-T2";
    EXPECT_TRUE(!child("imgJ")->isHidden() && child("imgK")->isHidden());
    EXPECT_EQ(child("imgBAT")->pixmap().toImage(), TfrmPanel::LoadBatteryPictures()[2].toImage());
    EXPECT_FALSE(child("imgT2C")->isHidden());

    b.statusA(0x09).statusB(0x00).raw(13, 0x01, 0x2C).raw(19, 0x12, 0x31).raw(21, 0x08, 0x15);
    panel->ShowDisplay(DecodeLiveFrame(b.frame(), reading, state, QLocale::c()));
    EXPECT_EQ(child("lblT1Value")->text(), QStringLiteral("30.0"));
    EXPECT_EQ(child("lblT3Value")->text(), QStringLiteral("12-31"));
    EXPECT_EQ(child("lblT2")->text(), QString());
    EXPECT_FALSE(child("lblMAX")->isHidden());
    EXPECT_FALSE(child("imgJ")->isHidden()) << "type bits 0 leave the marks";
    EXPECT_TRUE(child("imgT2C")->isHidden());

    panel->ShowMaxMinBlink(true);
    EXPECT_FALSE(child("lblMIN")->isHidden());
    panel->ShowMaxMinBlink(false);
    EXPECT_TRUE(child("lblMIN")->isHidden() && child("lblMAX")->isHidden());
    panel->SetNoConnectionVisible(true);
    EXPECT_FALSE(child("lblNoConnection")->isHidden());
}

TEST_F(PanelFixture, EachKeySendsItsLetter)
{
    click("btnHOLD");
    click("btnRec");
    click("btnCF");
    click("btnT1_T2");
    EXPECT_EQ(host.sent, "HECT");
    QTest::mouseClick(child<PanelKey>("btnHOLD"), Qt::RightButton);
    EXPECT_EQ(host.sent, "HECT") << "only the left button clicks";
}

// Enlarged, the face, its digits and the keys' hot areas grow together: a click where the key
// is now drawn is the key's. A key held down shows itself pressed.
TEST_F(PanelFixture, EnlargedEverythingFollowsAndTheKeysStillHit)
{
    QLabel* t1 = child("lblT1Value");
    const int digitsAtOne = t1->font().pixelSize();
    const QRect holdAtOne = child<PanelKey>("btnHOLD")->geometry();
    panel->SetScale(2.0);
    EXPECT_EQ(panel->size(), QSize(320, 986));
    EXPECT_EQ(child("imgPanel")->pixmap().deviceIndependentSize().toSize(), QSize(320, 990));
    EXPECT_EQ(t1->font().pixelSize(), digitsAtOne * 2);
    EXPECT_EQ(t1->geometry().right() + 1, 2 * (77 + 42)); // the right edge stays the right edge
    auto* hold = child<PanelKey>("btnHOLD");
    EXPECT_EQ(hold->geometry(), QRect(holdAtOne.topLeft() * 2, holdAtOne.size() * 2));
    QWidget* under = panel->childAt(hold->geometry().center());
    ASSERT_EQ(under, hold);
    QTest::mouseClick(under, Qt::LeftButton);
    EXPECT_EQ(host.sent, "H");

    QTest::mousePress(hold, Qt::LeftButton);
    EXPECT_TRUE(hold->ShowsPressed());
    QTest::mouseRelease(hold, Qt::LeftButton);
    EXPECT_EQ(host.sent, "HH");

    panel->SetScale(7.0); // no larger than three times
    EXPECT_EQ(panel->size(), QSize(480, 1479));
    panel->SetScale(1.0);
    EXPECT_EQ(panel->size(), QSize(160, 493));
    EXPECT_EQ(hold->geometry(), holdAtOne);
    EXPECT_EQ(t1->font().pixelSize(), digitsAtOne);
}

TEST_F(PanelFixture, MmaShortPressSendsMOnRelease)
{
    auto* mma = child<PanelKey>("btnMMA");
    QTest::mousePress(mma, Qt::LeftButton);
    EXPECT_TRUE(panel->MmaPressed());
    EXPECT_TRUE(panel->MMATimer->isActive());
    EXPECT_EQ(panel->MMATimer->interval(), 1000);
    panel->MMATimerTimer(); // one second
    EXPECT_EQ(host.sent, "");
    QTest::mouseRelease(mma, Qt::LeftButton);
    EXPECT_EQ(host.sent, "M");
    EXPECT_FALSE(panel->MMATimer->isActive());
    EXPECT_FALSE(panel->MmaPressed());
}

TEST_F(PanelFixture, MmaLongPressSendsNAtTheThirdTick)
{
    auto* mma = child<PanelKey>("btnMMA");
    QTest::mousePress(mma, Qt::LeftButton);
    panel->MMATimerTimer();
    panel->MMATimerTimer();
    EXPECT_EQ(host.sent, "");
    panel->MMATimerTimer();
    EXPECT_EQ(host.sent, "N");
    EXPECT_FALSE(panel->MMATimer->isActive());
    EXPECT_EQ(panel->MmaTicks(), 0);
    QTest::mouseRelease(mma, Qt::LeftButton);
    EXPECT_EQ(host.sent, "N") << "nothing on release after a long press";
}

TEST_F(PanelFixture, MmaLongPressRunsOnTheRealTimer)
{
    panel->MMATimer->setInterval(5);
    QTest::mousePress(child<PanelKey>("btnMMA"), Qt::RightButton); // any button
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.sent == "N"; }, 2000));
}

TEST_F(PanelFixture, MmaWhileNotConnected)
{
    host.connected = false;
    auto* mma = child<PanelKey>("btnMMA");
    QTest::mousePress(mma, Qt::LeftButton);
    QTest::mouseRelease(mma, Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{QStringLiteral("No Connection")});
    EXPECT_EQ(host.sent, "");
    EXPECT_FALSE(panel->MMATimer->isActive()) << "a released key cannot fire a long press later";

    // Held down while not connected: the long press still asks SendKey, which drops it.
    QTest::mousePress(mma, Qt::LeftButton);
    for (int i = 0; i < 3; ++i)
        panel->MMATimerTimer();
    EXPECT_EQ(host.sent, "N");
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

TEST_F(PanelFixture, DraggingThePictureMovesTheWindowWithTheLeftButtonOnly)
{
    auto* img = child("imgPanel");
    panel->move(100, 100);
    const QPoint start = panel->pos();
    sendMouse(img, QEvent::MouseButtonPress, {20, 400}, Qt::RightButton, Qt::RightButton);
    sendMouse(img, QEvent::MouseMove, {60, 430}, Qt::NoButton, Qt::RightButton);
    sendMouse(img, QEvent::MouseButtonRelease, {60, 430}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(panel->pos(), start);

    sendMouse(img, QEvent::MouseButtonPress, {20, 400}, Qt::LeftButton, Qt::LeftButton);
    // The window moves under the mouse, so later positions are relative to where it is now.
    QMouseEvent move(QEvent::MouseMove, QPointF(0, 0),
                     QPointF(img->mapToGlobal(QPoint(20, 400)) + QPoint(40, 30)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(img, &move);
    EXPECT_EQ(panel->pos(), start + QPoint(40, 30));
    sendMouse(img, QEvent::MouseButtonRelease, {20, 400}, Qt::LeftButton, Qt::NoButton);
}

TEST_F(PanelFixture, InMdiAreaActivationDragAndClose)
{
    QMdiArea area;
    area.resize(600, 600);
    FakeHost mdiHost;
    auto* p = new TfrmPanel(mdiHost, TfrmPanel::LoadBatteryPictures());
    QMdiSubWindow* sub = area.addSubWindow(p, Qt::FramelessWindowHint);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QMdiSubWindow> alive(sub);
    area.show();
    sub->show();
    area.setActiveSubWindow(sub);
    EXPECT_GE(mdiHost.activated, 1);

    sub->move(0, 0);
    auto* img = p->findChild<QLabel*>(QStringLiteral("imgPanel"));
    sendMouse(img, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    QMouseEvent move(QEvent::MouseMove, QPointF(0, 0), QPointF(img->mapToGlobal(QPoint(10, 10)) + QPoint(25, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(img, &move);
    EXPECT_EQ(sub->pos(), QPoint(25, 5)) << "the sub-window moves, not the panel inside it";
    sendMouse(img, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);

    QTest::mouseClick(p->findChild<PanelKey*>(QStringLiteral("btnClose")), Qt::LeftButton);
    EXPECT_EQ(mdiHost.closed, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull()) << "the sub-window and the panel are freed";
}

TEST_F(PanelFixture, CloseWaitsForTheBlinkHandler)
{
    host.inMaxMinTick = true;
    QTimer::singleShot(20, [this] { host.inMaxMinTick = false; });
    EXPECT_TRUE(panel->close());
    EXPECT_FALSE(host.inMaxMinTick);
    EXPECT_EQ(host.closed, 1);
    panel->close();
    EXPECT_EQ(host.closed, 1) << "reported once";
}

TEST(Artwork, FaceDecodesWithLibjpeg)
{
    const QImage face = Artwork::facePicture();
    EXPECT_EQ(face.size(), QSize(160, 495));
    // The LCD glass is greenish grey, the case around it dark.
    const QColor lcd = face.pixelColor(100, 200);
    EXPECT_GT(lcd.green(), 150);
    EXPECT_GT(lcd.green(), lcd.blue());
    EXPECT_LT(face.pixelColor(10, 300).lightness(), 80);
    EXPECT_EQ(Artwork::crossCursor().hotSpot(), QPoint(0, 0));
    EXPECT_EQ(Artwork::crossCursor().pixmap().size(), QSize(32, 32));
    for (const char* m : {"MIN", "MAX", "AVG", "HOLD", "K", "J", "E", "T", "REC", "FULL", "AUTOOFF", "DEGC", "DEGF"})
        EXPECT_FALSE(Artwork::mark(QString::fromLatin1(m)).isNull()) << m;
}

TEST(Artwork, DamagedJpegGivesAnError)
{
    QFile file(QStringLiteral(":/artwork/face.jpg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray good = file.readAll();
    QByteArray garbage = good;
    for (qsizetype i = 200; i < garbage.size() - 2; i += 7)
        garbage[i] = char(garbage[i] ^ 0x5A);
    const QByteArray cases[] = {QByteArray(), QByteArray("not a picture at all"),
                                good.left(good.size() / 2), good.left(3), garbage};
    for (const QByteArray& data : cases) {
        QString error;
        const QImage image = decodeJpeg(data, &error);
        EXPECT_TRUE(image.isNull()) << data.size();
        EXPECT_FALSE(error.isEmpty()) << data.size();
    }
    EXPECT_THROW(loadJpeg(QStringLiteral(":/artwork/missing.jpg")), std::runtime_error);
}

} // namespace
