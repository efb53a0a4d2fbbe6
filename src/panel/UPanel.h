// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The virtual front panel: a picture of the meter's face whose display follows the live frames
// and whose painted keys send the meter's key commands.
//
// The main window puts the panel into a frameless QMdiSubWindow (with WA_DeleteOnClose) and
// owns MaxMinTimer: it decodes every frame, applies the PanelDisplay here while the panel exists
// and switches MaxMinTimer as PanelDisplay::maxMinTimer says.
//
// The face is laid out at 160 x 493 and drawn at a scale: the screen's (ScreenScale) or the
// user's, chosen from the picture's context menu ("Larger", "Smaller", "Normal Size") or with
// Ctrl and the mouse wheel. Every element, its picture, its text and its hot area follow.

#include "link/LiveDecoder.h"
#include "panel/PanelHost.h"

#include <QHash>
#include <QMetaObject>
#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QMouseEvent;
class QScreen;
class QTimer;
class PanelKey;

class TfrmPanel : public QWidget {
    Q_OBJECT
public:
    // The window is placed in an MDI sub-window by the main window.
    TfrmPanel(IPanelHost& host, const std::array<QPixmap, 4>& batteryPictures,
              QWidget* parent = nullptr);
    ~TfrmPanel() override;

    // Applies what the decoder made of one frame.
    void ShowDisplay(const PanelDisplay& display);
    // The MAX/MIN blinking: shows or hides lblMAX and lblMIN together.
    void ShowMaxMinBlink(bool on);
    // lblNoConnection.
    void SetNoConnectionVisible(bool on);
    // A running alarm on channel (0..3): its name and value in red (the text is what the status
    // bar says of it); an empty text gives them their ink back.
    void SetChannelAlarm(int channel, const QString& text);
    QString ChannelAlarm(int channel) const { return alarmTexts_[std::size_t(channel)]; }

    // The scale the face is drawn at, kMinScale to kMaxScale in kScaleStep steps (1: 160 x 493).
    static constexpr double kMinScale = 1.0;
    static constexpr double kMaxScale = 3.0;
    static constexpr double kScaleStep = 0.25;
    double Scale() const { return scale_; }
    void SetScale(double scale);
    // The scale that makes the panel as large on the screen as its text: the screen's logical
    // dots per inch against 96, in steps, at least 1.
    static double ScreenScale(const QScreen* screen);

    // The battery bitmaps BAT0 to BAT3 from the program's resources, for the main window to
    // load once at start.
    static std::array<QPixmap, 4> LoadBatteryPictures();

    // How a message is shown (default: an information box). Tests replace it.
    using MessageFunction = std::function<void(QWidget* parent, const QString& text)>;
    void SetMessageFunction(MessageFunction show) { showMessage_ = std::move(show); }

    // Event handlers, callable directly.
    void FormActivate();
    bool FormCloseQuery();
    void btnCloseClick();
    void btnHOLDClick();
    void btnRecClick();
    void btnCFClick();
    void btnT1_T2Click();
    void btnMMAMouseDown();
    void btnMMAMouseUp();
    void MMATimerTimer();

    bool MmaPressed() const { return mmaPressed_; }
    int MmaTicks() const { return mmaTicks_; }

    // The elements, named as on the form.
    QLabel* imgPanel = nullptr;
    PanelKey* btnClose = nullptr;
    PanelKey* btnMMA = nullptr;
    PanelKey* btnRec = nullptr;
    PanelKey* btnHOLD = nullptr;
    PanelKey* btnT1_T2 = nullptr;
    PanelKey* btnCF = nullptr;
    QLabel* lblNoConnection = nullptr;
    QLabel* imgBAT = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* lblMIN = nullptr;
    QLabel* lblMAX = nullptr;
    QLabel* lblAVG = nullptr;
    QLabel* imgAutoOff = nullptr;
    QLabel* imgHOLD = nullptr;
    QLabel* imgK = nullptr;
    QLabel* imgJ = nullptr;
    QLabel* imgE = nullptr;
    QLabel* imgT = nullptr;
    QLabel* imgREC = nullptr;
    QLabel* imgFULL = nullptr;
    std::array<QLabel*, 4> lblT{};      // lblT1..lblT4
    std::array<QLabel*, 4> lblTValue{}; // lblT1Value..lblT4Value
    QLabel* imgt1F = nullptr;
    QLabel* imgT1C = nullptr;
    QLabel* imgT2F = nullptr;
    QLabel* imgT2C = nullptr;
    QLabel* imgT3F = nullptr;
    QLabel* imgT3C = nullptr;
    QLabel* imgT4F = nullptr;
    QLabel* imgT4C = nullptr;
    QTimer* MMATimer = nullptr;

signals:
    // The user chose another scale.
    void scaleChosen(double scale);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createElements();
    // What every element is at scale 1, and the elements put at the current scale.
    void rememberLayout();
    void applyScale();
    int scaled(int pixels) const;
    QRect scaled(const QRect& r) const;
    QPixmap scaledPicture(const QPixmap& picture, const QSize& size) const;
    void setPicture(QLabel* label, const QPixmap& picture);
    void chooseScale(double scale);
    void showScaleMenu(const QPoint& globalPos);
    QLabel* image(const char* name, const QRect& area, const QPixmap& picture, bool shown);
    QLabel* lcdText(const char* name, const QRect& area, const QFont& font, const QString& text);
    void setValueText(QLabel* label, const QString& text);
    void setNameText(QLabel* label, const QString& text);
    void imgPanelMouseDown(QMouseEvent* event);
    QWidget* moveTarget();
    void watchSubWindow();

    IPanelHost& host_;
    std::array<QPixmap, 4> batteryPictures_;
    MessageFunction showMessage_;
    bool mmaPressed_ = false;
    int mmaTicks_ = 0;
    bool dragging_ = false;
    QPoint dragStartGlobal_;
    QPoint dragStartPos_;
    bool closeReported_ = false;
    std::array<QString, 4> alarmTexts_;
    QMetaObject::Connection activation_;
    struct Layout {
        QRect geometry;
        int fontPixels = 0;
        QPixmap picture;
    };
    QHash<QWidget*, Layout> layout_;
    double scale_ = 1.0;
};
