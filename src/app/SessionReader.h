#pragma once
// Reading the session the host hands over: the command line names the
// session file and the session id; the file holds one or more sessions.

#include "app/SessionData.h"

#include <QStringList>

namespace ui {
class Prompts;
}

namespace app {

// Caption of every session file message.
inline constexpr char kSessionFileErrorCaption[] = "XML file error";

// True when there are at least three arguments (the first, the program, is
// not read), the second names an existing file and the third is a decimal
// number greater than 0. Stores SessionFile and SessionId from them.
bool CheckCommandLine(SessionData& session, const QStringList& arguments);

// Reads the session SessionId from the file SessionFile. On failure shows the
// message (caption "XML file error", error icon), leaves the record as it was
// and returns false. On success replaces everything the file provides
// (lists are refilled, UnitTypes is cleared for BuildUnitTypes), sets Loaded
// and returns true; SessionFile, SessionId and ClosingStarted are kept.
bool ReadSession(SessionData& session, ui::Prompts& prompts);

}  // namespace app
