// The allocation file reader on any file content: a file is either refused
// or read, and what was read is written and read back to the same
// categories and allocations.
#include "FuzzSupport.h"
#include "categorization/AllocationFile.h"

using namespace categorization;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kAllocationFileLimit) return -1;
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<AllocationFile> read = readAllocationFile(content);
    if (!read) return 0;
    for (const AllocationFileCategory& category : read->categories) FUZZ_CHECK(category.resolvedId == -1);

    const std::optional<AllocationFile> again = readAllocationFile(writeAllocationFile(*read));
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->derating == read->derating);
    FUZZ_CHECK(again->allocations == read->allocations);
    FUZZ_CHECK(again->categories.size() == read->categories.size());
    for (std::size_t i = 0; i < read->categories.size(); ++i) {
        FUZZ_CHECK(again->categories[i].id == read->categories[i].id);
        // XML reads a carriage return in text as a line feed.
        if (!read->categories[i].title.contains(u'\r'))
            FUZZ_CHECK(again->categories[i].title == read->categories[i].title);
    }
    return 0;
}
