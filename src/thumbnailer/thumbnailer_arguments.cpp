#include "thumbnailer/thumbnailer_arguments.h"

#include <QCoreApplication>

namespace tess {

const char kThumbnailerUsage[] = "usage: tessarolith-thumbnailer -s SIZE INPUT OUTPUT\n";

namespace {

// Beyond the largest flavour of the shared cache, with room to spare; a
// larger thumbnail is no thumbnail.
constexpr int kMaxSize = 4096;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QByteArray pathOfInput(const QByteArray &input)
{
    static const QByteArray scheme = QByteArrayLiteral("file://");
    if (!input.startsWith(scheme)) {
        // Any other scheme ("sftp://", "trash:///") is no file of ours.
        const qsizetype colon = input.indexOf(':');
        const qsizetype slash = input.indexOf('/');
        if (colon > 0 && (slash < 0 || colon < slash) && input.mid(colon, 3) == "://")
            return {};
        return input.contains('\0') ? QByteArray() : input;
    }
    const qsizetype pathStart = input.indexOf('/', scheme.size());
    if (pathStart < 0)
        return {};
    const QByteArray host = input.mid(scheme.size(), pathStart - scheme.size());
    if (!host.isEmpty() && host.toLower() != "localhost")
        return {};
    QByteArray path;
    path.reserve(input.size() - pathStart);
    for (qsizetype i = pathStart; i < input.size(); ++i) {
        const char c = input[i];
        if (c == '?' || c == '#')
            return {}; // a query or fragment names no file
        if (c != '%') {
            path.append(c);
            continue;
        }
        const int high = i + 2 < input.size() ? hexValue(input[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(input[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0))
            return {};
        path.append(char(high * 16 + low));
        i += 2;
    }
    return path;
}

ThumbnailerArguments parseThumbnailerArguments(const QList<QByteArray> &arguments)
{
    ThumbnailerRequest request;
    QList<QByteArray> files;
    bool sized = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QByteArray &argument = arguments[i];
        if (argument == "--help" || argument == "-h")
            return ThumbnailerQuery::Help;
        if (argument == "--version")
            return ThumbnailerQuery::Version;
        QByteArray value;
        if (argument == "-s" || argument == "--size") {
            if (++i >= arguments.size())
                return QCoreApplication::translate("Thumbnailer", "大きさがありません。");
            value = arguments[i];
        } else if (argument.startsWith("--size=")) {
            value = argument.mid(7);
        } else if (argument.startsWith("-s") && argument.size() > 2) {
            value = argument.mid(2);
        } else if (argument.startsWith('-') && argument.size() > 1) {
            return QCoreApplication::translate("Thumbnailer", "知らないオプションです: %1").arg(QString::fromLocal8Bit(argument));
        } else {
            files.append(argument);
            continue;
        }
        bool number = false;
        request.size = value.toInt(&number);
        if (!number || request.size < 1 || request.size > kMaxSize)
            return QCoreApplication::translate("Thumbnailer", "大きさは 1 から %1 までです。").arg(kMaxSize);
        sized = true;
    }
    if (!sized)
        return QCoreApplication::translate("Thumbnailer", "大きさがありません。");
    if (files.size() != 2)
        return QCoreApplication::translate("Thumbnailer", "入力と出力を一つずつ指定してください。");
    request.input = pathOfInput(files[0]);
    if (request.input.isEmpty())
        return QCoreApplication::translate("Thumbnailer", "入力はファイルのパスか file:// の URI です。");
    request.output = files[1];
    return request;
}

} // namespace tess
