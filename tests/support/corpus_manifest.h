#pragma once
// The shared corpus' formats/MANIFEST.tsv: one row per file, with what a
// reader must do with it.
#include <QFile>
#include <QString>
#include <QStringList>

#include <ostream>
#include <vector>

namespace tess::testing {

struct CorpusRow {
    QString path;        // relative to formats/
    QString format;      // as detected from the bytes
    QString expectation; // decode, decode-or-reject, reject-safely, reference
    int width = -1;      // as displayed; -1 when the manifest gives none
    int height = -1;
    QString note;
    QString reference; // relative to formats/, or empty
};

// Names the file when a table row fails.
inline void PrintTo(const CorpusRow &row, std::ostream *out) { *out << row.path.toStdString(); }

inline QString corpusFormatsDir() { return QStringLiteral(TESS_CORPUS_DIR "/formats/"); }
inline QString corpusFormatsPath(const QString &relative) { return corpusFormatsDir() + relative; }

// The rows whose file lies under formats/<kindFolder>/, manifest order.
inline std::vector<CorpusRow> readCorpusManifest(const QString &kindFolder)
{
    std::vector<CorpusRow> rows;
    QFile file(corpusFormatsDir() + QStringLiteral("MANIFEST.tsv"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return rows;
    const QString prefix = kindFolder + QLatin1Char('/');
    file.readLine(); // the column names
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        if (line.endsWith(QLatin1Char('\n')))
            line.chop(1);
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 7 || !f[0].startsWith(prefix))
            continue;
        bool ok = false;
        CorpusRow row{f[0], f[1], f[2], f[3].toInt(&ok), -1, f[5], f[6]};
        if (!ok)
            row.width = -1;
        row.height = f[4].toInt(&ok);
        if (!ok)
            row.height = -1;
        rows.push_back(row);
    }
    return rows;
}

} // namespace tess::testing
