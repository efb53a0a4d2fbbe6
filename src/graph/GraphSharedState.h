// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// State that every graph window shares. One instance of each lives in the main window, which
// hands it by reference to the graph windows, the real-time recorder and the logger download.

#include <QtGui/qrgb.h>

// What a click on a chart does.
enum class AnnotationTool { Normal, Cross, Text };

struct AnnotationState {
    static constexpr int kFirstCounter = 3;

    AnnotationTool AnnotationMode = AnnotationTool::Normal;
    // Index of the last annotation placed; the next one takes AnnotationCounter + 1. Index 2 is
    // the data point marker; 0, 1 and 3 are not used.
    int AnnotationCounter = kFirstCounter;
    // Colour of new annotations; read from the settings at start, written back at exit.
    QRgb AnnoColor = qRgb(0, 0, 0);
};

// Data that would be lost when their window closes.
struct UnsavedMarks {
    bool RealTimeUnsaved = false;   // samples recorded since the last close prompt
    bool LoggerDataUnsaved = false; // a download not yet saved
};
