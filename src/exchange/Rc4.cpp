#include "exchange/Rc4.h"

#include <QCryptographicHash>
#include <utility>

namespace exchange {

Rc4::Rc4(const QByteArray& key) {
    for (int n = 0; n < 256; ++n) s_[size_t(n)] = uint8_t(n);
    if (key.isEmpty()) return;
    uint8_t j = 0;
    for (int n = 0; n < 256; ++n) {
        j = uint8_t(j + s_[size_t(n)] + uint8_t(key[n % key.size()]));
        std::swap(s_[size_t(n)], s_[j]);
    }
}

QByteArray Rc4::apply(const QByteArray& data) {
    QByteArray out(data.size(), Qt::Uninitialized);
    for (qsizetype n = 0; n < data.size(); ++n) {
        i_ = uint8_t(i_ + 1);
        j_ = uint8_t(j_ + s_[i_]);
        std::swap(s_[i_], s_[j_]);
        out[n] = char(uint8_t(data[n]) ^ s_[uint8_t(s_[i_] + s_[j_])]);
    }
    return out;
}

QByteArray PackageKey(KeyKind kind, const QByteArray& passPhrase) {
    const QByteArray digest = QCryptographicHash::hash(passPhrase, QCryptographicHash::Md5);
    if (kind == KeyKind::Short) return digest.left(5) + QByteArray(11, '\0');
    return digest;
}

}  // namespace exchange
