#pragma once
// The virtual front panel: a picture of the meter's face whose display follows the live frames
// and whose painted keys send the meter's key commands.
// (Interface agreed with the main window; the panel's own work fills in UPanel.cpp.)

#include "link/LiveDecoder.h"
#include "panel/PanelHost.h"

#include <QPixmap>
#include <QWidget>

#include <array>

class QLabel;
class QTimer;

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
};
