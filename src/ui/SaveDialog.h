#pragma once
// A save dialog that also tells which of its ";;"-separated filters was
// chosen, for callers whose file format follows the filter.

#include <QString>

namespace ui {

class Prompts;

// Through `prompts`; `chosenFilter` gets the filter's index, or -1 where the
// prompts cannot tell (then the name's extension decides).
QString saveFileNameWithFilter(Prompts& prompts, const QString& caption, const QString& directory,
                               const QString& filter, int* chosenFilter);

}  // namespace ui
