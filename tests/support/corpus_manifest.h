#pragma once
// The shared corpus's formats/MANIFEST.tsv: every third-party picture of one
// kind with what a reader must do with it.
#include <QFile>
#include <QString>
#include <QStringList>

#include <vector>

namespace tess::testing {

struct CorpusEntry {
    QString path;        // under formats/, as is `reference`
    QString format;      // told by the file's bytes: png, gif, webp, jpeg, ...
    QString expectation; // decode, decode-or-reject, reject-safely or reference
    int width = -1;      // as displayed; -1 when the file claims none
    int height = -1;
    QString note;
    QString reference; // a rendering to match, or empty
};

inline QString corpusFormatsPath(const QString &relative)
{
    return QStringLiteral(TESS_CORPUS_DIR "/formats/") + relative;
}

// The rows whose files lie in formats/<kindFolder>/.
inline std::vector<CorpusEntry> readCorpusManifest(const QString &kindFolder)
{
    std::vector<CorpusEntry> rows;
    QFile file(corpusFormatsPath(QStringLiteral("MANIFEST.tsv")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return rows;
    file.readLine(); // the header
    const QString prefix = kindFolder + QLatin1Char('/');
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 7 || !f[0].startsWith(prefix))
            continue;
        bool ok = false;
        CorpusEntry e{f[0], f[1], f[2], f[3].toInt(&ok), f[4].toInt(), f[5], f[6]};
        if (!ok)
            e.width = e.height = -1;
        rows.push_back(e);
    }
    return rows;
}

} // namespace tess::testing
