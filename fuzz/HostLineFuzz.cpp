// The host channel's lines on any bytes a connection sends: split into lines
// as the channel reads them, each is a well-formed message or ignored, and a
// message the tool writes back reads as the same values.
#include "FuzzSupport.h"
#include "app/HostChannel.h"
#include "app/HostCommands.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kHostLineLimit) return -1;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    for (const QByteArray& line : bytes.split('\n')) {
        const auto message = app::parseHostMessage(line);
        if (!message) continue;
        FUZZ_CHECK(message->message == app::kHostMessage);
        const auto again = app::parseHostMessage(app::formatHostMessage(message->wParam, message->lParam));
        FUZZ_CHECK(again && again->wParam == message->wParam && again->lParam == message->lParam);
    }
    return 0;
}
