#pragma once
// RC4 and the keys of the export package. The stream cipher is kept here
// because current crypto libraries ship it only as a legacy extra; packages
// need it to stay readable.

#include <QByteArray>
#include <array>
#include <cstdint>

namespace exchange {

class Rc4 {
public:
    explicit Rc4(const QByteArray& key);
    // XORs `data` with the next bytes of the key stream.
    QByteArray apply(const QByteArray& data);

private:
    std::array<uint8_t, 256> s_{};
    uint8_t i_ = 0;
    uint8_t j_ = 0;
};

// The fixed pass phrase the package key is derived from.
inline constexpr char kPassPhrase[] = "482~pm%vx!q725";

enum class KeyKind {
    None,   // no key opened the record
    Full,   // 128 bits: the whole MD5 digest (what we write)
    Short,  // 40 bits: five digest bytes and eleven zero bytes (older packages)
};

// The RC4 key of `kind` for `passPhrase` (Latin-1 bytes).
QByteArray PackageKey(KeyKind kind, const QByteArray& passPhrase = QByteArray(kPassPhrase));

}  // namespace exchange
