#pragma once
// The manual's table of help contexts. The manual's project file (ledra.qhp) lists its
// topics with their titles and, as index entries with the identifier "kontext.N", the topic
// that each help context number opens. The window's help and the command line read the
// same file, so a context means the same topic everywhere.

#include <QList>
#include <QMap>
#include <QString>
#include <optional>
namespace ledra {

class HelpTopics {
public:
    struct Topic {
        int context = 0;
        QString title;
        QString file; // relative to the help folder, without an anchor
    };

    // The compressed help file in the manual's folder (InstallLayout::helpFolder).
    static QString helpFileIn(const QString &helpFolder);
    static QString identifier(int context) { return QStringLiteral("kontext.%1").arg(context); }

    // Reads the project file of the manual in `helpFolder`; false when it is missing or
    // not readable.
    bool load(const QString &helpFolder);

    // The topics that help contexts open, by context number.
    QList<Topic> contextTopics() const;
    std::optional<Topic> topicFor(int context) const;
    // Every topic of the contents, in their order (title, file).
    QList<Topic> contents() const { return m_contents; }

    // The topic as plain text: title, paragraphs, lists and tables in lines.
    QString plainText(const Topic &topic) const;

private:
    QString m_folder;
    QMap<int, QString> m_contextFiles;
    QMap<QString, QString> m_titles; // file -> title
    QList<Topic> m_contents;
};

} // namespace ledra
