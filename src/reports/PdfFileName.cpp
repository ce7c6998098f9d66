#include "reports/PdfFileName.h"

namespace reports {

QString pdfFileName(const QString& chosen) {
    if (chosen.isEmpty()) return {};
#ifdef Q_OS_WIN
    const qsizetype slash = std::max(chosen.lastIndexOf(u'/'), chosen.lastIndexOf(u'\\'));
#else
    const qsizetype slash = chosen.lastIndexOf(u'/');
#endif
    const QString folder = chosen.left(slash + 1);
    QString name = chosen.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    // A leading dot names a hidden file rather than starting an extension.
    if (dot > 0) name.truncate(dot);
    return folder + name + QStringLiteral(".PDF");
}

}  // namespace reports
