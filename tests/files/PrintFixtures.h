// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tables to print and the text of a printed PDF read back with pdftotext, for the printing tests,
// the printout pictures and the benchmark.

#include "files/TableModel.h"

#include <QByteArray>
#include <QPageLayout>
#include <QPageSize>
#include <QProcess>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QXmlStreamReader>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace printfixtures {

// Data row r (from 1) of a recorded table: its number, one date, a time a second apart, and
// readings of which T2 is "OL" on every seventh row.
inline std::array<QString, 7> rowCells(int r)
{
    const QTime time = QTime(10, 0, 0).addSecs(r);
    return {QString::number(r),
            QStringLiteral("14/03/2024"),
            time.toString(QStringLiteral("hh:mm:ss")),
            QString::number(21.0 + (r % 10) / 10.0, 'f', 1),
            r % 7 == 0 ? QStringLiteral("OL") : QString::number(35.0 + r % 40, 'f', 1),
            QString::number(-5.0 - (r % 3), 'f', 1),
            QString::number(960.0 + r % 400, 'f', 1)};
}

inline void fillTable(TableModel& table, int rows)
{
    std::vector<TableModel::Row> all;
    all.reserve(static_cast<std::size_t>(rows));
    for (int r = 1; r <= rows; ++r) {
        const auto cells = rowCells(r);
        std::array<QStringView, 7> views;
        std::copy(cells.begin(), cells.end(), views.begin());
        all.emplace_back(views);
    }
    table.setRows(std::move(all));
}

// One line of printed text: its top and bottom in points from the top of the paper, and its
// text rebuilt character by character from the word positions (the font is fixed-pitch), with a
// blank wherever no character was printed. Trailing blanks leave no trace in a PDF.
struct PdfLine {
    double top = 0;
    double bottom = 0;
    QString text;
};

struct PdfPage {
    double height = 0;   // points
    std::vector<PdfLine> lines;
};

struct PdfWord {
    double xMin, yMin, xMax, yMax;
    QString text;
};

inline std::vector<PdfLine> linesOf(std::vector<PdfWord> words)
{
    std::vector<PdfLine> lines;
    if (words.empty())
        return lines;
    double left = words.front().xMin;
    double pitch = 0;
    for (const PdfWord& w : words) {
        left = std::min(left, w.xMin);
        pitch = std::max(pitch, (w.xMax - w.xMin) / std::max<qsizetype>(w.text.size(), 1));
    }
    std::stable_sort(words.begin(), words.end(), [](const PdfWord& a, const PdfWord& b) {
        return std::abs(a.yMin - b.yMin) > 0.01 ? a.yMin < b.yMin : a.xMin < b.xMin;
    });
    for (const PdfWord& w : words) {
        if (lines.empty() || std::abs(lines.back().top - w.yMin) > 0.01)
            lines.push_back({w.yMin, w.yMax, QString()});
        QString& text = lines.back().text;
        const auto column = static_cast<qsizetype>(std::lround((w.xMin - left) / pitch));
        if (text.size() < column)
            text.resize(column, QLatin1Char(' '));
        text += w.text;
    }
    return lines;
}

// The pages of a PDF file; empty when pdftotext cannot read it. *error says why.
inline std::vector<PdfPage> readPdf(const QString& path, QString* error = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("pdftotext (poppler-utils) failed: ") + process.errorString() +
                     QString::fromLocal8Bit(process.readAllStandardError());
        return {};
    }
    std::vector<PdfPage> pages;
    std::vector<PdfWord> words;
    QXmlStreamReader xml(process.readAllStandardOutput());
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("page")) {
            pages.push_back({xml.attributes().value(QLatin1String("height")).toDouble(), {}});
            words.clear();
        } else if (xml.isEndElement() && xml.name() == QLatin1String("page")) {
            pages.back().lines = linesOf(words);
        } else if (xml.isStartElement() && xml.name() == QLatin1String("word")) {
            const auto a = xml.attributes();
            PdfWord w{a.value(QLatin1String("xMin")).toDouble(),
                      a.value(QLatin1String("yMin")).toDouble(),
                      a.value(QLatin1String("xMax")).toDouble(),
                      a.value(QLatin1String("yMax")).toDouble(), QString()};
            w.text = xml.readElementText();
            words.push_back(w);
        }
    }
    if (xml.hasError() && error)
        *error = xml.errorString();
    return pages;
}

// A page whose printable area holds exactly `lines` lines of lineHeight device units at
// resolution dpi (with half a line to spare, for the last line's descenders), 10 points of
// margin all round.
inline QPageLayout pageOfLines(int lines, int lineHeight, int dpi)
{
    const double printable = (lines + 0.5) * lineHeight * 72.0 / dpi;
    const QPageSize size(QSizeF(612, std::ceil(printable) + 20), QPageSize::Point,
                         QStringLiteral("Test"), QPageSize::ExactMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Point);
}

} // namespace printfixtures
