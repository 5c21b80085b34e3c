#pragma once
#include <QCoreApplication>
#include <QString>

namespace tess::codecmessages {

// Causes named in a picture Failure. Short, as the user reads them under the file name.
inline QString cannotOpen() { return QCoreApplication::translate("Codecs", "ファイルを開けません。"); }
inline QString notAPicture() { return QCoreApplication::translate("Codecs", "画像ファイルではありません。"); }
inline QString corrupt() { return QCoreApplication::translate("Codecs", "画像データが壊れています。"); }
inline QString cut() { return QCoreApplication::translate("Codecs", "画像データが途中で切れています。"); }
inline QString tooLarge() { return QCoreApplication::translate("Codecs", "画像が大きすぎます。"); }
inline QString unsupported() { return QCoreApplication::translate("Codecs", "この形式の画像には対応していません。"); }
inline QString cannotEncode() { return QCoreApplication::translate("Codecs", "画像を変換できません。"); }
inline QString noEncoder() { return QCoreApplication::translate("Codecs", "この形式に変換するライブラリがありません。"); }

} // namespace tess::codecmessages
