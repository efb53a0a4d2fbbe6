// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A real-time recording in the main window, for the benchmarks and the memory measurement: the
// program's main window, its recorder and real-time window, the chart 1600 x 900, a recording of
// 99,999 samples started through Run with its journal, in a temporary data folder and with
// settings of its own.

#include "base/DataFolder.h"
#include "base/DateTime.h"
#include "app/RecorderWiring.h"
#include "app/UMain.h"
#include "base/WaitWithMessages.h"
#include "graph/Chart.h"
#include "graph/ChartFixtures.h"
#include "graph/UGraph.h"
#include "graph/USetupRealtime.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QComboBox>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace benchrec {

constexpr int kPoints = 99999;

// Sample p of the recording: one second apart, the four channels of the chart fixtures.
inline std::array<float, 4> values(int p)
{
    return {fixtures::channelValue(0, p), fixtures::channelValue(1, p),
            fixtures::channelValue(2, p), fixtures::channelValue(3, p)};
}

struct Recording {
    QTemporaryDir data;
    ScriptedPrompts quiet;
    std::unique_ptr<TfrmMain> main;
    double start = 0;

    Recording()
    {
        setDataFolderOverride(data.path());
        qputenv("XDG_CONFIG_HOME", data.path().toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, data.path());
        main = std::make_unique<TfrmMain>(QStringList{}, nullptr, [](QStringList&) {});
        main->SetPrompts(quiet.prompts());
        main->setGeometry(0, 0, 2400, 1500);
        main->show();
        WaitUntil([&] { return main->StartupDone(); }, 10000);
        QApplication::processEvents();
        main->MainTimer->stop();
        TfrmGraph& w = window();
        if (QMdiSubWindow* sub = GraphWindows::SubWindowOf(w)) {
            sub->showNormal();
            QApplication::processEvents();
            sub->resize(sub->size() + (QSize(1600, 900) - w.Chart1->size()));
            QApplication::processEvents();
        }
        main->Link().State().Connected = true;
        main->MeterConnected(QStringLiteral("/dev/bench"));
        main->RealTime().SetDialogRunner([](QDialog& d) {
            auto& s = dynamic_cast<TfrmSetupRealTime&>(d);
            s.SetCountText(QStringLiteral("99999"));
            s.ComboBox1->setCurrentIndex(0);
            s.ComboBox2->setCurrentIndex(1);
            return int(QDialog::Accepted);
        });
        main->Run1->trigger();
        start = window().Chart1->ManualMinX();
    }
    ~Recording() { setDataFolderOverride(QString()); }

    TfrmGraph& window() const { return *main->RealTimeWindow; }
    RealTimeRecorder& recorder() const { return main->RealTime().Recorder(); }
    double time(int p) const { return start + (p + 1) * DateTime::OneSecond; }

    // Points 0 to n - 1 written straight into the chart, as n samples would have left it.
    void prefill(int n)
    {
        Chart& c = *window().Chart1;
        for (int p = 0; p < n; ++p) {
            const auto v = values(p);
            for (int s = 0; s < 4; ++s) {
                c.SetXDataII(s, p, time(p));
                c.SetYData(s, p, v[std::size_t(s)]);
            }
        }
        c.SetManualMaxX(time(n) + 10 * DateTime::OneSecond);
        main->Recorder().SampleCount = n;
        c.Redraw();
        QApplication::processEvents();
    }
    // The next sample through the recorder, as the watchdog hands it over.
    void append()
    {
        const int p = main->Recorder().SampleCount;
        const auto v = values(p);
        recorder().AppendSample(time(p), v[0], v[1], v[2], v[3]);
    }
};

} // namespace benchrec
