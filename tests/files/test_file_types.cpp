// SPDX-License-Identifier: GPL-3.0-or-later
// File type lists for the dialogs: Qt name filters that match either case, the extension the save
// dialog puts in the name box when the type changes, and the kinds of single files.
#include "files/FileTypes.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

using namespace FileTypes;

TEST(FileTypes, NameFiltersKeepDescriptionsAndMatchBothCases)
{
    const QStringList f = nameFilters(tableTypes(false));
    ASSERT_EQ(f.size(), 2);
    EXPECT_EQ(f[0], QStringLiteral("TXT file(*.txt,data seperated by tab) (*.TXT *.txt)"));
    EXPECT_EQ(f[1], QStringLiteral("EXCEL file format(*.CSV,seperated by comma)  (*.CSV *.csv)"));
    EXPECT_EQ(nameFilters(collectionSaveTypes()),
              QStringList{QStringLiteral(
                  "Data Set Collection file(*.ch4,only for KOLVA) (*.CH4 *.ch4)")});
    // With a decimal comma CSV files are not offered.
    EXPECT_TRUE(decimalIsComma(QLocale(QLocale::German)));
    EXPECT_FALSE(decimalIsComma(QLocale::c()));
    EXPECT_EQ(nameFilters(graphTypes(true)).size(), 2);
    EXPECT_EQ(nameFilters(tableTypes(true)).size(), 1);

    // The file dialog takes the patterns from the last parentheses; they must match names in
    // either case (the same expression Qt's dialog uses to split a filter).
    const QRegularExpression qtFilter(
        QStringLiteral("^(.*)\\(([a-zA-Z0-9_.,*? +;#\\-\\[\\]@\\{\\}/!<>\\$%&=^~:\\|]*)\\)$"));
    for (const QString& filter : nameFilters(graphTypes(false))) {
        const QRegularExpressionMatch m = qtFilter.match(filter);
        ASSERT_TRUE(m.hasMatch()) << filter.toStdString();
        const QStringList patterns = m.captured(2).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString ext = patterns.front().mid(2).toLower();
        for (const QString& name : {QStringLiteral("run.") + ext, QStringLiteral("RUN.") + ext.toUpper()}) {
            bool matched = false;
            for (const QString& p : patterns)
                matched |= QRegularExpression::fromWildcard(p, Qt::CaseSensitive).match(name).hasMatch();
            EXPECT_TRUE(matched) << name.toStdString() << " with " << filter.toStdString();
        }
    }
}

TEST(FileTypes, TypeChangePutsTheTypesExtensionInTheName)
{
    EXPECT_EQ(typeExtensions(graphTypes(false)),
              (QStringList{QStringLiteral(".GHF"), QStringLiteral(".TXT"), QStringLiteral(".CSV")}));
    EXPECT_EQ(typeExtensions(tableTypes(false)),
              (QStringList{QStringLiteral(".TXT"), QStringLiteral(".CSV")}));
    EXPECT_EQ(typeExtensions(tableTypes(true)), QStringList{QStringLiteral(".TXT")});
    EXPECT_EQ(typeExtensions(collectionOpenTypes()), QStringList{QStringLiteral(".CH4")});
    // Never more than five.
    QString many;
    for (int i = 0; i < 7; ++i)
        many += QStringLiteral("F%1(*.ab%1)|*.AB%1|").arg(i);
    EXPECT_EQ(typeExtensions(many).size(), 5);

    EXPECT_EQ(nameForType(graphTypes(false), 2, QStringLiteral("run1.txt")), QStringLiteral("run1.CSV"));
    EXPECT_EQ(nameForType(graphTypes(false), 0, QStringLiteral("/home/u/data/run1.txt")),
              QStringLiteral("run1.GHF"));
    EXPECT_EQ(nameForType(tableTypes(false), 1, QStringLiteral("run1")), QStringLiteral("run1.CSV"));
    EXPECT_EQ(nameForType(graphTypes(false), 1, QStringLiteral("a.b.ghf")), QStringLiteral("a.b.TXT"));
    EXPECT_FALSE(nameForType(graphTypes(true), 2, QStringLiteral("run1.txt")));   // no such type
    EXPECT_FALSE(nameForType(graphTypes(false), 1, QString()));
}

TEST(FileTypes, SingleFileKindsByExtensionInEitherCase)
{
    EXPECT_EQ(singleFileKind(QStringLiteral("a.GHF")), SingleFileKind::Graph);
    EXPECT_EQ(singleFileKind(QStringLiteral("/x/a.Txt")), SingleFileKind::Text);
    EXPECT_EQ(singleFileKind(QStringLiteral("a.csv")), SingleFileKind::Csv);
    EXPECT_FALSE(singleFileKind(QStringLiteral("a.ch4")));
    EXPECT_FALSE(singleFileKind(QStringLiteral("csv")));
    EXPECT_EQ(exportSeparator(SingleFileKind::Csv), QLatin1Char(','));
    EXPECT_EQ(exportSeparator(SingleFileKind::Text), QLatin1Char('\t'));
}
