#include "core/base/errors.h"

#include <cerrno>
#include <climits>
#include <cstring>

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
        case 54: return "ファイル モードが不正です。";
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
        case ENFILE: return 67;
        case ENODEV:
        case ENXIO: return ErrDeviceUnavailable;
        case EIO: return ErrDeviceIO;
        case EISDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case EINVAL: return ErrPathFileAccess;
        case EXDEV: return 74;
        case EBADF: return ErrBadFileNameOrNumber;
        case ENOMEM: return ErrOutOfMemory;
        default: return ErrPathFileAccess;
    }
}

RuntimeError errorFromErrno(int err, const std::string& what) {
    int number = errorNumberFromErrno(err);
    std::string description = describeError(number);
    if (!what.empty()) description += " (" + what + ": " + std::strerror(err) + ")";
    return RuntimeError(number, description);
}

short toInt16(long n) {
    if (n < SHRT_MIN || n > SHRT_MAX) throw RuntimeError(ErrOverflow);
    return short(n);
}

}  // namespace mk
