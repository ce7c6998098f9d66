// The language-file reader on any file content: every definition becomes a
// text decoded from the Windows Western code page, nothing else.
#include "FuzzSupport.h"
#include "text/TextTables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kLanguageFileLimit) return -1;
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));

    text::TextTable table;
    text::mergeTextFile(content, table);
    for (const auto& [number, text] : table) {
        FUZZ_CHECK(number >= 0);
        // A text is the rest of one line, one character per byte.
        FUZZ_CHECK(std::size_t(text.size()) < size);
        FUZZ_CHECK(!text.contains(u'\r') && !text.contains(u'\n'));
    }

    // One character per byte; only 0x80-0x9F differ from Latin-1.
    const QString decoded = text::decodeWindows1252(content);
    FUZZ_CHECK(decoded.size() == content.size());
    for (qsizetype i = 0; i < content.size(); ++i) {
        const auto byte = static_cast<unsigned char>(content[i]);
        if (byte < 0x80 || byte > 0x9F) FUZZ_CHECK(decoded[i].unicode() == byte);
    }
    return 0;
}
