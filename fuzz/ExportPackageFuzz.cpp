// The export package reader on any file content: a file is either refused
// or read; every record it opened holds a plausible attribute text, and
// that text encrypted again under the same key opens to the same fields.
#include "FuzzSupport.h"
#include "exchange/Package.h"

using namespace exchange;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kExportPackageLimit) return -1;
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    Package package;
    QString error;
    if (!ReadPackage(content, &package, &error)) {
        FUZZ_CHECK(!error.isEmpty());
        return 0;
    }
    for (const PackageRecord& record : package.records) {
        if (!record.readable()) {
            FUZZ_CHECK(record.fields.empty());
            continue;
        }
        FUZZ_CHECK(record.plainText.startsWith(QLatin1String("Id=\"")));
        const PackageRecord again =
            DecryptData(record.element, QString::fromLatin1(EncryptData(record.plainText, record.key)));
        FUZZ_CHECK(again.readable());
        FUZZ_CHECK(again.fields == record.fields);
    }
    return 0;
}
