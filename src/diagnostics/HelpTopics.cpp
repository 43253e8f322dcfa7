#include "HelpTopics.h"

#include <QFile>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QXmlStreamReader>
namespace ledra {

namespace {

QString withoutAnchor(const QString &ref) {
    const qsizetype hash = ref.indexOf(QLatin1Char('#'));
    return hash < 0 ? ref : ref.left(hash);
}

} // namespace

QString HelpTopics::helpFileIn(const QString &helpFolder) {
    return helpFolder + QStringLiteral("/ledra.qch");
}

bool HelpTopics::load(const QString &helpFolder) {
    m_folder = helpFolder;
    m_contextFiles.clear();
    m_titles.clear();
    m_contents.clear();
    QFile file(helpFolder + QStringLiteral("/ledra.qhp"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QXmlStreamReader xml(&file);
    const QString prefix = QStringLiteral("kontext.");
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attrs = xml.attributes();
        if (xml.name() == QLatin1String("section")) {
            const QString ref = withoutAnchor(attrs.value(QLatin1String("ref")).toString());
            const QString title = attrs.value(QLatin1String("title")).toString();
            if (!m_titles.contains(ref))
                m_titles.insert(ref, title);
            m_contents.append({0, title, ref});
        } else if (xml.name() == QLatin1String("keyword")) {
            const QString id = attrs.value(QLatin1String("id")).toString();
            bool ok = false;
            const int context = id.startsWith(prefix) ? id.mid(prefix.size()).toInt(&ok) : 0;
            if (ok && context > 0)
                m_contextFiles.insert(context,
                                      withoutAnchor(attrs.value(QLatin1String("ref")).toString()));
        }
    }
    return !xml.hasError();
}

QList<HelpTopics::Topic> HelpTopics::contextTopics() const {
    QList<Topic> out;
    for (auto it = m_contextFiles.cbegin(); it != m_contextFiles.cend(); ++it)
        out.append({it.key(), m_titles.value(it.value()), it.value()});
    return out;
}

std::optional<HelpTopics::Topic> HelpTopics::topicFor(int context) const {
    auto it = m_contextFiles.constFind(context);
    if (it == m_contextFiles.cend() || !QFile::exists(m_folder + QLatin1Char('/') + it.value()))
        return std::nullopt;
    return Topic{context, m_titles.value(it.value()), it.value()};
}

QString HelpTopics::plainText(const Topic &topic) const {
    QFile file(m_folder + QLatin1Char('/') + topic.file);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(file.readAll()));
    // One line a paragraph, list items with their marker, a blank line before each heading,
    // so that the text reads like the page.
    QStringList lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QString line = b.text();
        line.replace(QChar(0x2028), QLatin1Char('\n'));
        line.replace(QChar(0x00A0), QLatin1Char(' '));
        if (const QTextList *list = b.textList())
            line = (list->format().style() == QTextListFormat::ListDecimal
                        ? QString::number(list->itemNumber(b) + 1) + QStringLiteral(". ")
                        : QStringLiteral("- ")) +
                   line;
        if (b.blockFormat().headingLevel() > 1 && !lines.isEmpty())
            lines << QString();
        if (!line.trimmed().isEmpty())
            lines << line;
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace ledra
