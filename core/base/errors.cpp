#include "core/base/errors.h"

#include <cerrno>
#include <climits>
#include <exception>
#include <ios>
#include <new>
#include <stdexcept>
#include <system_error>
#include <typeinfo>

namespace mk {

RuntimeError::RuntimeError(int number, const std::string& description)
    : std::runtime_error(description), number_(number), description_(description) {}

RuntimeError::RuntimeError(int number) : RuntimeError(number, describeError(number)) {}

std::string describeError(int number) {
    switch (number) {
        case 3: return "Return に対応する GoSub がありません。";
        case 5: return "プロシージャの呼び出し、または引数が不正です。";
        case 6: return "オーバーフローしました。";
        case 7: return "メモリが不足しています。";
        case 9: return "インデックスが有効範囲にありません。";
        case 11: return "0 で除算しました。";
        case 13: return "型が一致しません。";
        case 52: return "ファイル名または番号が不正です。";
        case 53: return "ファイルが見つかりません。";
        case 54: return "ファイルモードが不正です。";
        case 55: return "ファイルは既に開かれています。";
        case 57: return "デバイス I/O エラーです。";
        case 58: return "既に同名のファイルが存在しています。";
        case 59: return "レコード長が一致しません。";
        case 61: return "ディスクの空き容量が不足しています。";
        case 62: return "ファイルにこれ以上データがありません。";
        case 63: return "レコード番号が不正です。";
        case 67: return "ファイルが多すぎます。";
        case 68: return "デバイスが準備されていません。";
        case 70: return "書き込みできません。";
        case 71: return "ディスクが準備されていません。";
        case 74: return "ドライブ名が異なります。名前を変更できません。";
        case 75: return "パス名が無効です。";
        case 76: return "パスが見つかりません。";
        case 429: return "ActiveX コンポーネントはオブジェクトを作成できません。";
        default: return "アプリケーション定義またはオブジェクト定義のエラーです。";
    }
}

int errorNumberFromErrno(int err) {
    switch (err) {
        case ENOENT: return ErrFileNotFound;
        case ENOTDIR: return ErrPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
        case EBUSY: return ErrPermissionDenied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG: return ErrDiskFull;
        case EEXIST: return ErrFileExists;
        case EMFILE:
        case ENFILE: return ErrTooManyFiles;
        case ENODEV:
        case ENXIO: return ErrDeviceUnavailable;
        case EIO: return ErrDeviceIO;
        case EISDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case EINVAL: return ErrPathFileAccess;
        case EXDEV: return ErrRenameAcrossDisks;
        case EBADF: return ErrBadFileNameOrNumber;
        case ENOMEM: return ErrOutOfMemory;
        default: return ErrPathFileAccess;
    }
}

RuntimeError errorFromErrno(int err, const std::string& what) {
    const int number = errorNumberFromErrno(err);
    std::string description = describeError(number);
    // The call's name and the C library's message are English; the report
    // shows the number's own text and, where known, the path.
    const std::size_t space = what.find(' ');
    if (space != std::string::npos && space + 1 < what.size())
        description += " (" + what.substr(space + 1) + ")";
    return RuntimeError(number, description);
}

RuntimeError currentError() {
    try {
        throw;
    } catch (const RuntimeError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return RuntimeError(ErrOutOfMemory);
    } catch (const std::length_error&) {  // a string or table larger than memory allows
        return RuntimeError(ErrOutOfMemory);
    } catch (const std::out_of_range&) {
        return RuntimeError(ErrSubscript);
    } catch (const std::overflow_error&) {
        return RuntimeError(ErrOverflow);
    } catch (const std::range_error&) {
        return RuntimeError(ErrOverflow);
    } catch (const std::ios_base::failure&) {
        return RuntimeError(ErrDeviceIO);
    } catch (const std::system_error& e) {
        if (e.code().category() == std::generic_category() ||
            e.code().category() == std::system_category())
            return RuntimeError(errorNumberFromErrno(e.code().value()));
        return RuntimeError(ErrIllegalCall);
    } catch (const std::bad_cast&) {
        return RuntimeError(ErrTypeMismatch);
    } catch (...) {
        // std::invalid_argument, std::logic_error and anything else.
        return RuntimeError(ErrIllegalCall);
    }
}

short toInt16(long n) {
    if (n < SHRT_MIN || n > SHRT_MAX) throw RuntimeError(ErrOverflow);
    return short(n);
}

}  // namespace mk
