// The embedded database's reader of procedure calls on any text: it tells a
// call from SQL, or names what is wrong; it never crashes.
#include "FuzzSupport.h"
#include "reportdb/CallParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kCallTextLimit) return -1;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    const reportdb::CallParse parse = reportdb::parseCallText(text);
    switch (parse.kind) {
        case reportdb::CallParse::Kind::Sql: break;
        case reportdb::CallParse::Kind::Malformed: FUZZ_CHECK(!parse.error.isEmpty()); break;
        case reportdb::CallParse::Kind::Call:
            // A call is dispatched by its name: an empty one cannot be.
            FUZZ_CHECK(!parse.call.name.isEmpty());
            for (const reportdb::CallArgument& argument : parse.call.arguments) {
                if (argument.kind == reportdb::CallArgument::Kind::Variable)
                    FUZZ_CHECK(!argument.variable.isEmpty());
                if (!argument.name.isEmpty()) FUZZ_CHECK(argument.name.startsWith(u'@'));
            }
            break;
    }
    return 0;
}
