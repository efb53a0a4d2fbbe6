// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the front panel in several display states into PNG files for a person to look at:
//   kolva-panel-screens OUTPUT_FOLDER
// Each picture shows the panel at 1x and at 2x side by side.

#include "support/PictureTool.h"
#include "FrameBuilder.h"
#include "link/LiveDecoder.h"
#include "panel/PanelKey.h"
#include "panel/UPanel.h"
#include "NullPanelHost.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPainter>

namespace {

bool save(TfrmPanel& panel, const QDir& out, const QString& name, bool outlineKeys = false)
{
    QImage one = panel.grab().toImage();
    if (outlineKeys) {
        // Where the hot areas lie over the painted keys.
        QPainter k(&one);
        k.setPen(QColor(0, 255, 255));
        for (const PanelKey* key : {panel.btnClose, panel.btnMMA, panel.btnRec, panel.btnHOLD,
                                    panel.btnT1_T2, panel.btnCF})
            k.drawRect(key->geometry().adjusted(0, 0, -1, -1));
    }
    QImage sheet(one.width() * 3 + 30, one.height() * 2 + 20, QImage::Format_RGB32);
    sheet.fill(QColor(0xd8, 0xd8, 0xd8));
    QPainter p(&sheet);
    p.drawImage(10, 10, one);
    p.drawImage(QRect(one.width() + 20, 10, one.width() * 2, one.height() * 2), one);
    return sheet.save(out.filePath(QStringLiteral("panel-%1.png").arg(name)));
}

LiveFrame normalFrame()
{
    return FrameBuilder().statusA(0x08).statusB(0x23).channel(1, 234).channel(2, -2000)
        .channel(3, 10000).channel(4, 9999).frame();
}

} // namespace

int main(int argc, char** argv)
{
    picturetool::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    const QDir out(picturetool::outputFolder(argc, argv));
    NullHost host;
    bool ok = true;
    const QLocale locale = QLocale::c();

    auto render = [&](const QString& name, std::initializer_list<LiveFrame> frames,
                      const std::function<void(TfrmPanel&)>& extra = {}, bool outline = false) {
        TfrmPanel panel(host, TfrmPanel::LoadBatteryPictures());
        LiveReading reading;
        DecoderState state;
        for (const LiveFrame& f : frames)
            panel.ShowDisplay(DecodeLiveFrame(f, reading, state, locale));
        if (extra)
            extra(panel);
        ok = save(panel, out, name, outline) && ok;
    };

    render(QStringLiteral("initial"), {});
    render(QStringLiteral("hotareas"), {}, {}, true);
    render(QStringLiteral("normal"), {FrameBuilder().statusA(0x08).statusB(0x23)
                                          .channel(1, 234).channel(2, -2000).channel(3, 10000)
                                          .channel(4, 9999).frame()});
    render(QStringLiteral("max"), {FrameBuilder().statusA(0x19).statusB(0x62).channel(1, 215)
                                       .raw(13, 0x01, 0x2C).raw(19, 0x12, 0x31).raw(21, 0x08, 0x15)
                                       .frame()});
    render(QStringLiteral("difference"), {FrameBuilder().statusA(0x28).statusB(0x13)
                                              .channel(1, 250).channel(2, 205).channel(4, -32768)
                                              .channelStatus(0x80).frame()});
    render(QStringLiteral("hold"), {FrameBuilder().statusA(0x48).statusB(0x21).channel(1, 1234)
                                        .channel(2, 1235).channel(3, 1236).channel(4, 1237)
                                        .channelStatus(0x04).frame()});
    render(QStringLiteral("noconnection"), {FrameBuilder().statusA(0x08).statusB(0x20)
                                                .channel(1, 201).channel(2, 202).channel(3, 203)
                                                .channel(4, 204).frame()},
           [](TfrmPanel& p) { p.SetNoConnectionVisible(true); });
    render(QStringLiteral("fahrenheit"), {FrameBuilder().statusA(0x00).statusB(0x0B)
                                              .channel(1, 7412).channel(2, 685).channel(3, -3280)
                                              .channel(4, 32767).channelStatus(0x02).frame()});
    render(QStringLiteral("minmax-running"), {FrameBuilder().statusA(0x0B).statusB(0xA3)
                                                  .channel(1, -1234).frame()},
           [](TfrmPanel& p) { p.ShowMaxMinBlink(true); });
    // HOLD held down: the key shows itself pressed in.
    render(QStringLiteral("key-pressed"), {normalFrame()}, [](TfrmPanel& p) {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(p.btnHOLD->rect().center()),
                          QPointF(p.btnHOLD->mapToGlobal(p.btnHOLD->rect().center())),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(p.btnHOLD, &press);
    });
    // The panel drawn at the user's scales, as it is on the screen (no sheet).
    for (const double scale : {1.5, 2.0}) {
        TfrmPanel panel(host, TfrmPanel::LoadBatteryPictures());
        LiveReading reading;
        DecoderState state;
        panel.ShowDisplay(DecodeLiveFrame(normalFrame(), reading, state, locale));
        panel.SetScale(scale);
        ok = panel.grab().save(out.filePath(
                 QStringLiteral("panel-scale-%1.png").arg(int(scale * 100)))) && ok;
    }
    return ok ? 0 : 1;
}
