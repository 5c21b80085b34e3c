#include "thumbs/failure_of.h"

#include <new>
#include <QCoreApplication>

namespace tess {

Failure failureOf(const std::exception_ptr &error, const QString &file)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc &) {
        return Failure{file, QCoreApplication::translate("Thumbnails", "メモリが足りません。")};
    } catch (...) {
        return Failure{file, QCoreApplication::translate("Thumbnails", "処理中にエラーが発生しました。")};
    }
}

} // namespace tess
