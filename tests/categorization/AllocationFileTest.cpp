// The allocation file without widgets: both variants line for line, read
// back, and files as hand edits and older installations leave them.

#include "categorization/AllocationFile.h"

#include <gtest/gtest.h>

using namespace categorization;

namespace {

AllocationFile smallEventFile() {
    AllocationFile file = eventAllocationFile(QStringLiteral("WT <3000> & co"));
    file.categories = {{1, QStringLiteral("Normal Operation")},
                       {7, QStringLiteral("Störung, Netz & <Wind>")}};
    file.allocations = {{100, 1, 0, 0}, {105, 7, 1, 12}};
    return file;
}

}  // namespace

TEST(AllocationFile, BothVariantsAreWrittenLineForLine) {
    EXPECT_EQ(writeAllocationFile(smallEventFile()),
              QByteArray("<HEADER>\n"
                         "<VERSION>2.00</VERSION>\n"
                         "<EVENTLIST>WT &lt;3000&gt; &amp; co</EVENTLIST>\n"
                         "<CATEGORY>1,Normal Operation</CATEGORY>\n"
                         "<CATEGORY>7,St\xc3\xb6rung, Netz &amp; &lt;Wind&gt;</CATEGORY>\n"
                         "<BODY>\n"
                         "<ALLOCATION>100,1,0,0</ALLOCATION>\n"
                         "<ALLOCATION>105,7,1,12</ALLOCATION>\n"
                         "</BODY>\n"
                         "</HEADER>\n"));
    AllocationFile derating = deratingAllocationFile();
    derating.categories = {{2, QStringLiteral("Utility")}};
    derating.allocations = {{0, 2, 0, 0}};
    EXPECT_EQ(writeAllocationFile(derating), QByteArray("<HEADER>\n"
                                                        "<VERSION>1.00</VERSION>\n"
                                                        "<DERATINGSOURCES>All</DERATINGSOURCES>\n"
                                                        "<CATEGORY>2,Utility</CATEGORY>\n"
                                                        "<BODY>\n"
                                                        "<ALLOCATION>0,2,0,0</ALLOCATION>\n"
                                                        "</BODY>\n"
                                                        "</HEADER>\n"));
}

TEST(AllocationFile, ReadsBackWhatItWrote) {
    const AllocationFile written = smallEventFile();
    const std::optional<AllocationFile> read = readAllocationFile(writeAllocationFile(written));
    ASSERT_TRUE(read);
    EXPECT_TRUE(!read->derating && read->version == QStringLiteral("2.00") &&
                read->eventList == written.eventList);
    ASSERT_EQ(read->categories.size(), 2u);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_TRUE(read->categories[i].id == written.categories[i].id &&
                    read->categories[i].title == written.categories[i].title &&
                    read->categories[i].resolvedId == -1);
    EXPECT_EQ(read->allocations, written.allocations);
}

TEST(AllocationFile, ReadsHandEditedAndOlderFilesAndRefusesBrokenOnes) {
    struct Case {
        const char* what;
        QByteArray content;
        bool readable;
        std::vector<AllocationFileLine> allocations;
    };
    const Case cases[] = {
        {"short lines and no numbers give zeros",
         "<HEADER><BODY><ALLOCATION>5</ALLOCATION><ALLOCATION>6,x,,</ALLOCATION><ALLOCATION/>"
         "</BODY></HEADER>",
         true,
         {{5, 0, 0, 0}, {6, 0, 0, 0}, {0, 0, 0, 0}}},
        {"other elements are passed over, nothing after the body is read",
         "<?xml version=\"1.0\"?>\r\n<HEADER><NOTE>x</NOTE><BODY><OTHER>1,2</OTHER>"
         "<ALLOCATION> 7 ,2,1,3</ALLOCATION></BODY><BODY><ALLOCATION>8</ALLOCATION></BODY></HEADER>",
         true,
         {{7, 2, 1, 3}}},
        {"a fifth field", "<HEADER><BODY><ALLOCATION>1,2,3,4,5</ALLOCATION></BODY></HEADER>", false, {}},
        {"a category without a comma", "<HEADER><CATEGORY>12</CATEGORY><BODY/></HEADER>", false, {}},
        {"not XML", "VERSION=2.00\nALLOCATION=1,2,3,4\n", false, {}},
        {"not well-formed after the body", "<HEADER><BODY></BODY><X></HEADER>", false, {}},
        {"empty", "", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<AllocationFile> read = readAllocationFile(c.content);
        ASSERT_EQ(read.has_value(), c.readable);
        if (read) {
            EXPECT_EQ(read->allocations, c.allocations);
        }
    }
}

TEST(AllocationFile, AFileInTheWindowsWesternCodePageReads) {
    const std::optional<AllocationFile> read = readAllocationFile(
        "<HEADER><VERSION>1.00</VERSION><DERATINGSOURCES>All</DERATINGSOURCES>"
        "<CATEGORY>4,St\xf6rung \x80</CATEGORY><BODY/></HEADER>");
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->derating);
    EXPECT_EQ(read->deratingSources, QStringLiteral("All"));
    ASSERT_EQ(read->categories.size(), 1u);
    EXPECT_EQ(read->categories[0].id, 4);
    EXPECT_EQ(read->categories[0].title, QStringLiteral("Störung €"));
}
