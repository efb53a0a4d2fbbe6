// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-cli `report` and `verify` as processes: the report read back with pdftotext, its
// fingerprint the SHA-256 of what `export` writes for the same data, verify's answer to the data
// and to the data with one reading changed by a tenth, and reports of graphs without readings.
#include "CliProcess.h"

#include "report/ReportFixtures.h"

#include "graph/GraphFile.h"

#include <QCryptographicHash>

using reportfixtures::kilnGraph;
using reportfixtures::pdfText;

namespace {

QString sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

} // namespace

TEST(CliReport, FingerprintIsTheExportsAndVerifyTellsTheDataFromAChangedCopy)
{
    CliProcess cli;
    const QString ghf = cli.home(QStringLiteral("kiln.ghf"));
    writeGraphFile(kilnGraph(), ghf);
    const QString pdf = cli.home(QStringLiteral("kiln.pdf"));
    CliRun r = cli.run({QStringLiteral("report"), ghf, QStringLiteral("-o"), pdf,
                        QStringLiteral("--title"), QStringLiteral("Kiln firing 12"),
                        QStringLiteral("--operator"), QStringLiteral("A. Tester")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    const CliRun exported = cli.run({QStringLiteral("export"), ghf});
    ASSERT_EQ(exported.exitCode, 0);
    const QString text = pdfText(pdf);
    EXPECT_TRUE(text.contains(QStringLiteral("Kiln firing 12 Page 1 of"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Operator: A. Tester")));
    EXPECT_TRUE(text.contains(sha256(exported.out))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Samples: 120")));

    // The file, and the same readings as machine CSV, hold the report's data.
    const QString csv = cli.home(QStringLiteral("kiln.csv"));
    ASSERT_TRUE(writeAll(csv, exported.out));
    for (const QString& data : {ghf, csv}) {
        r = cli.run({QStringLiteral("verify"), pdf, data});
        EXPECT_EQ(r.exitCode, 0) << r.out.toStdString() << r.err.toStdString();
        EXPECT_TRUE(r.out.startsWith("matches: ")) << r.out.toStdString();
    }

    // One reading a tenth higher: refused, with both fingerprints.
    QByteArray changed = exported.out;
    const qsizetype line = changed.indexOf('\n', changed.indexOf('\n') + 1) + 1; // the 2nd sample
    const qsizetype comma = changed.indexOf(',', line) + 1;
    const qsizetype end = changed.indexOf(',', comma);
    const float before = changed.mid(comma, end - comma).toFloat();
    changed.replace(comma, end - comma, QByteArray::number(before + 0.1f));
    const QString changedCsv = cli.home(QStringLiteral("changed.csv"));
    ASSERT_TRUE(writeAll(changedCsv, changed));
    r = cli.run({QStringLiteral("verify"), pdf, changedCsv});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.startsWith("does not match: ")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("report: " + sha256(exported.out).toLatin1()));
    EXPECT_TRUE(r.out.contains("file:   " + sha256(changed).toLatin1()));

    // A file that is no report of the program.
    r = cli.run({QStringLiteral("verify"), csv, ghf});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("no data fingerprint")) << r.err.toStdString();
    r = cli.run({QStringLiteral("report"), ghf});
    EXPECT_EQ(r.exitCode, 2);
}

TEST(CliReport, GraphsWithoutReadingsSaySo)
{
    CliProcess cli;
    ChartState empty = kilnGraph();
    empty.data.reset();
    ChartState missing = kilnGraph();
    for (int p = 0; p < missing.data.points(); ++p)
        for (int c = 0; c < 4; ++c)
            if (missing.data.x(c, p) != 0.0)
                missing.data.setY(c, p, NullReading);
    const std::pair<ChartState*, const char*> cases[] = {
        {&empty, "The graph holds no samples"},
        {&missing, "All 120 samples of the graph are missing readings"}};
    for (const auto& [chart, says] : cases) {
        const QString ghf = cli.home(QStringLiteral("graph.ghf"));
        writeGraphFile(*chart, ghf);
        const QString pdf = cli.home(QStringLiteral("graph.pdf"));
        const CliRun r = cli.run({QStringLiteral("report"), ghf, QStringLiteral("-o"), pdf});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString text = pdfText(pdf);
        EXPECT_TRUE(text.contains(QLatin1String(says))) << text.toStdString();
        EXPECT_TRUE(text.contains(QLatin1String("No readings to show")));
        EXPECT_EQ(cli.run({QStringLiteral("verify"), pdf, ghf}).exitCode, 0);
    }
}
