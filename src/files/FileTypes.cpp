// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileTypes.h"

#include <QFileInfo>

namespace FileTypes {

bool decimalIsComma(const QLocale& locale)
{
    return locale.decimalPoint() == QLatin1String(",");
}

QString graphTypes(bool decimalComma)
{
    if (decimalComma)
        return QStringLiteral(
            "Graph file(*.ghf,only for KOLVA)|*.GHF|TXT file(*.txt,data seperated by tab)|*.TXT");
    return QStringLiteral(
        "Graph file(*.ghf,only for KOLVA)|*.GHF|TXT file(*.txt,data seperated by tab)|*.TXT|"
        "EXCEL file format(*.CSV,seperated by comma)|*.CSV");
}

QString tableTypes(bool decimalComma)
{
    if (decimalComma)
        return QStringLiteral(" TXT file(*.txt,data seperated by tab) |*.TXT");
    return QStringLiteral("TXT file(*.txt,data seperated by tab)|*.TXT") + QString(29, QLatin1Char(' ')) +
           QStringLiteral("|EXCEL file format(*.CSV,seperated by comma) |*.CSV");
}

QString collectionSaveTypes()
{
    return QStringLiteral("Data Set Collection file(*.ch4,only for KOLVA)|*.CH4");
}

QString collectionOpenTypes()
{
    return QStringLiteral("Data Sets Collection (*.CH4)|*.CH4");
}

QString saveAllSetsText()
{
    return QStringLiteral("Save all data sets to a data set collection file(*.ch4)");
}

QString saveSingleSetText()
{
    return QStringLiteral("Save single selected  data set to a  file");
}

QString openAllSetsText()
{
    return QStringLiteral("Open a data set collection file(*.CH4)");
}

QString openSingleSetText(bool decimalComma)
{
    return decimalComma ? QStringLiteral("Open single data flle(*.TXT,*.GHF)")
                        : QStringLiteral("Open single data file(*.TXT,*.CSV,*.GHF)");
}

QStringList nameFilters(const QString& typeList)
{
    const QStringList parts = typeList.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString pattern = p.trimmed();
            if (pattern.isEmpty())
                continue;
            for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()})
                if (!patterns.contains(variant))
                    patterns.append(variant);
        }
        filters.append(parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return filters;
}

QStringList typeExtensions(const QString& typeList)
{
    const QString marker = QStringLiteral("*.");
    QString s = typeList;
    QStringList exts;
    // Each entry holds "*." twice: in its description and in its pattern. Dropping the text up
    // to the '*' of the next one twice leaves the pattern's dot and letters at the front.
    while (exts.size() < 5 && s.contains(marker)) {
        for (int i = 0; i < 2; ++i) {
            const qsizetype p = s.indexOf(marker);
            if (p >= 0)
                s.remove(0, p + 1);
        }
        if (s.size() < 4)
            break;
        exts.append(s.left(4));
    }
    return exts;
}

std::optional<QString> nameForType(const QString& typeList, int typeIndex,
                                   const QString& currentName)
{
    const QStringList exts = typeExtensions(typeList);
    if (typeIndex < 0 || typeIndex >= exts.size() || exts[typeIndex].isEmpty())
        return std::nullopt;
    const QString name = QFileInfo(currentName).fileName();
    if (name.isEmpty())
        return std::nullopt;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return (dot >= 0 ? name.left(dot) : name) + exts[typeIndex];
}

std::optional<SingleFileKind> singleFileKind(const QString& fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    if (ext == QLatin1String("ghf"))
        return SingleFileKind::Graph;
    if (ext == QLatin1String("txt"))
        return SingleFileKind::Text;
    if (ext == QLatin1String("csv"))
        return SingleFileKind::Csv;
    return std::nullopt;
}

QChar exportSeparator(SingleFileKind kind)
{
    return kind == SingleFileKind::Csv ? QLatin1Char(',') : QLatin1Char('\t');
}

} // namespace FileTypes
