#pragma once
#include <QString>

namespace tess::codecmessages {

// Causes named in a picture Failure. Short, as the user reads them under the file name.
inline QString cannotOpen() { return QStringLiteral("ファイルを開けません。"); }
inline QString notAPicture() { return QStringLiteral("画像ファイルではありません。"); }
inline QString corrupt() { return QStringLiteral("画像データが壊れています。"); }
inline QString cut() { return QStringLiteral("画像データが途中で切れています。"); }
inline QString tooLarge() { return QStringLiteral("画像が大きすぎます。"); }
inline QString unsupported() { return QStringLiteral("この形式の画像には対応していません。"); }
inline QString cannotEncode() { return QStringLiteral("画像を変換できません。"); }
inline QString noEncoder() { return QStringLiteral("この形式に変換するライブラリがありません。"); }

} // namespace tess::codecmessages
