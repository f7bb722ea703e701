#include "errors.h"

namespace quorvel::runtime {

namespace {
const char* describe(ErrorNumber number) {
    switch (number) {
    case ErrorNumber::Overflow:
        return "オーバーフローしました。";
    case ErrorNumber::OutOfMemory:
        return "メモリが不足しています。";
    case ErrorNumber::Internal:
        return "内部エラーです。";
    }
    return "アプリケーション定義またはオブジェクト定義のエラーです。";
}
} // namespace

RuntimeError::RuntimeError(ErrorNumber number)
    : std::runtime_error(describe(number))
    , number_(number) {
}

void raise(ErrorNumber number) {
    throw RuntimeError(number);
}

} // namespace quorvel::runtime
