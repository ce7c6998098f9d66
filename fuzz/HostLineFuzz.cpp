// The host channel's lines on any bytes a connection sends, arriving in
// chunks of any size: the line buffer hands back exactly the lines sent, in
// order and without their line feeds, refuses for good once a line is too
// long, and each line is a well-formed message or ignored; a message the
// tool writes back reads as the same values.
#include "FuzzSupport.h"
#include "app/HostChannel.h"
#include "app/HostCommands.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > fuzz::kHostLineLimit) return -1;
    // The first byte chooses how the rest arrives: in chunks of 1 to 256 bytes.
    const qsizetype chunk = qsizetype(data[0]) + 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    app::HostLineBuffer buffer;
    QByteArray taken;  // every line taken, each with its line feed again
    bool refused = false;
    for (qsizetype at = 0; at < bytes.size() && !refused; at += chunk) {
        refused = !buffer.append(QByteArrayView(bytes).sliced(at, std::min(chunk, bytes.size() - at)));
        FUZZ_CHECK(refused == buffer.refused());
        while (auto line = buffer.takeLine()) {
            FUZZ_CHECK(!refused);
            FUZZ_CHECK(!line->contains('\n'));
            FUZZ_CHECK(line->size() <= app::kMaxHostLineBytes);
            taken += *line + '\n';

            const auto message = app::parseHostMessage(*line);
            if (!message) continue;
            FUZZ_CHECK(message->message == app::kHostMessage);
            const auto again = app::parseHostMessage(app::formatHostMessage(message->wParam, message->lParam));
            FUZZ_CHECK(again && again->wParam == message->wParam && again->lParam == message->lParam);
        }
    }
    // The lines taken are the input's beginning, line for line.
    FUZZ_CHECK(bytes.startsWith(taken));
    if (refused) {
        FUZZ_CHECK(!buffer.append(QByteArrayView("\n")));
        FUZZ_CHECK(!buffer.takeLine());
    } else {
        // Whatever is left is one unfinished line within the limit.
        const QByteArray rest = bytes.mid(taken.size());
        FUZZ_CHECK(!rest.contains('\n'));
        FUZZ_CHECK(rest.size() <= app::kMaxHostLineBytes);
        FUZZ_CHECK(buffer.heldBytes() == rest.size());
    }
    return 0;
}
