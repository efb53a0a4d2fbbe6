// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportMetadata.h"

#include "files/MachineCsv.h"

#include <QRegularExpression>

namespace {

const char* const kNamespace = "urn:kolva:report:1.0:";

QByteArray escaped(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

QByteArray timeOrEmpty(const std::optional<double>& t)
{
    return t ? MachineCsv::timeText(*t) : QByteArray();
}

QString element(const QByteArray& packet, const char* name)
{
    const QRegularExpression re(QStringLiteral("<kolva:%1>([^<]*)</kolva:%1>")
                                    .arg(QLatin1String(name)));
    const QRegularExpressionMatch m = re.match(QString::fromUtf8(packet));
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

} // namespace

QByteArray reportXmp(const ReportMetadata& m)
{
    const DataFingerprint& f = m.fingerprint;
    QByteArray x;
    x += "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n";
    x += "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n";
    x += " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n";
    x += "  <rdf:Description rdf:about=\"\"\n";
    x += "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n";
    x += "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n";
    x += "    xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\"\n";
    x += QByteArray("    xmlns:kolva=\"") + kNamespace + "\">\n";
    x += "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">" + escaped(m.title)
         + "</rdf:li></rdf:Alt></dc:title>\n";
    if (!m.operatorName.isEmpty())
        x += "   <dc:creator><rdf:Seq><rdf:li>" + escaped(m.operatorName)
             + "</rdf:li></rdf:Seq></dc:creator>\n";
    x += "   <dc:format>application/pdf</dc:format>\n";
    x += "   <xmp:CreatorTool>" + escaped(m.program) + "</xmp:CreatorTool>\n";
    x += "   <xmp:CreateDate>" + MachineCsv::timeText(m.made) + "</xmp:CreateDate>\n";
    x += "   <pdf:Keywords>data fingerprint SHA-256 " + f.sha256 + "</pdf:Keywords>\n";
    x += "   <kolva:DataSHA256>" + f.sha256 + "</kolva:DataSHA256>\n";
    x += "   <kolva:DataForm>machine CSV: time,T1,T2,T3,T4,unit</kolva:DataForm>\n";
    x += "   <kolva:Samples>" + QByteArray::number(f.samples) + "</kolva:Samples>\n";
    x += "   <kolva:FirstTime>" + timeOrEmpty(f.first) + "</kolva:FirstTime>\n";
    x += "   <kolva:LastTime>" + timeOrEmpty(f.last) + "</kolva:LastTime>\n";
    x += "  </rdf:Description>\n";
    x += " </rdf:RDF>\n";
    x += "</x:xmpmeta>\n";
    x += "<?xpacket end=\"w\"?>";
    return x;
}

std::optional<StatedFingerprint> readReportFingerprint(const QByteArray& pdf)
{
    const QByteArray open = "<x:xmpmeta";
    const QByteArray close = "</x:xmpmeta>";
    std::optional<StatedFingerprint> found;
    for (qsizetype at = pdf.indexOf(open); at >= 0; at = pdf.indexOf(open, at + 1)) {
        const qsizetype end = pdf.indexOf(close, at);
        if (end < 0)
            break;
        const QByteArray packet = pdf.mid(at, end - at);
        if (!packet.contains(kNamespace))
            continue;
        StatedFingerprint f;
        f.sha256 = element(packet, "DataSHA256").toLatin1().toLower();
        static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
        if (!hex.match(QString::fromLatin1(f.sha256)).hasMatch())
            continue;
        f.samples = element(packet, "Samples").toInt();
        f.first = element(packet, "FirstTime");
        f.last = element(packet, "LastTime");
        found = f;
    }
    return found;
}
