// The session reader on any file content, with the unscrambling of its
// hidden attributes. A file is either read or refused with one message; a
// refused file leaves the session record as it was.
#include "FuzzSupport.h"
#include "app/SessionData.h"
#include "app/SessionReader.h"
#include "app/SessionScrambling.h"

namespace {

// The seed corpus holds session 1.
constexpr int kSessionId = 1;

fuzz::InputFile sessionFile(".xml");

void readSession(const std::uint8_t* data, std::size_t size) {
    app::SessionData session;
    session.SessionFile = sessionFile.write(data, size);
    session.SessionId = kSessionId;
    session.UserId = -7;  // must survive a refusal
    fuzz::SilentPrompts prompts;
    const bool read = app::ReadSession(session, prompts);

    FUZZ_CHECK(session.SessionId == kSessionId);
    if (!read) {
        FUZZ_CHECK(prompts.messages == 1);
        FUZZ_CHECK(!session.Loaded && session.UserId == -7 && session.ParkUnits.empty());
        return;
    }
    FUZZ_CHECK(prompts.messages == 0);
    FUZZ_CHECK(session.Loaded);
    // The scrambled attributes need four seed characters.
    FUZZ_CHECK(session.HelpValue.toUcs4().size() >= 4);
    FUZZ_CHECK(session.ParkUnits.size() <= std::size_t(app::kMaxSessionParkUnits));
    FUZZ_CHECK(session.Scenarios.size() <= std::size_t(app::kMaxSessionScenarios));
    for (const app::SessionScenario& scenario : session.Scenarios)
        FUZZ_CHECK(scenario.ParkUnitIds.size() <= std::size_t(app::kMaxScenarioParkUnits));
    FUZZ_CHECK(session.FeatureCodes.size() <= std::size_t(app::kMaxFeatureCodes));
}

// The input as a scrambled attribute: whatever it decodes to, the host's
// encoding of that text decodes to the same text.
void unscramble(const std::uint8_t* data, std::size_t size) {
    const char seed = size > 0 ? char(data[0]) : 'K';
    const QString attribute = QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size));
    const QByteArray plain = app::unscrambleBytes(attribute, seed);
    FUZZ_CHECK(plain.size() <= app::kMaxUnscrambledBytes);
    FUZZ_CHECK(!plain.contains('\0'));
    FUZZ_CHECK(app::unscrambleBytes(app::scrambleBytes(plain, seed), seed) == plain);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > fuzz::kSessionFileLimit) return -1;
    readSession(data, size);
    unscramble(data, size);
    return 0;
}
