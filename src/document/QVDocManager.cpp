#include "QVDocManager.h"

#include "res/QVStrings.h"

#include <QApplication>
#include <QFileDialog>

QVDocManager::DialogHook QVDocManager::s_hook;

namespace {

// The open dialog's first filter: the types the program reads, in both cases.
constexpr const char* kAllPicturePatterns =
    "*.bmp *.png *.jpg *.jpeg *.tif *.tiff *.gif *.BMP *.PNG *.JPG *.JPEG *.TIF *.TIFF *.GIF";

} // namespace

void QVDocManager::SetDialogHook(DialogHook hook)
{
    s_hook = std::move(hook);
}

void QVDocManager::SplitExtension(const QString& fileName, QString& stem, QString& extension)
{
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < slash) {
        stem.clear();
        extension.clear();
        return;
    }
    stem = fileName.left(dot);
    extension = fileName.mid(dot + 1);
}

QString QVDocManager::ShortExtension(const QString& extension)
{
    const QString lower = extension.toLower();
    if (lower == QLatin1String("jpeg"))
        return QStringLiteral("jpg");
    if (lower == QLatin1String("tiff"))
        return QStringLiteral("tif");
    return lower;
}

QStringList QVDocManager::FilterExtensions(const QString& nameFilter)
{
    // The patterns stand in the last parentheses.
    const qsizetype open = nameFilter.lastIndexOf(QLatin1Char('('));
    const qsizetype close = nameFilter.lastIndexOf(QLatin1Char(')'));
    QStringList extensions;
    if (open < 0 || close < open)
        return extensions;
    const QStringList patterns =
        nameFilter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& pattern : patterns)
        if (pattern.startsWith(QLatin1String("*.")))
            extensions << pattern.mid(2);
    return extensions;
}

QStringList QVDocManager::NameFilters(const QString& filter)
{
    // "description|pattern;pattern|...||". Qt reads the patterns from the last
    // parenthesised group, which the dialog then hides, so the description
    // shows exactly as written.
    QStringList filters;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty())
            break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

bool QVDocManager::DoPromptFileName(QString& fileName, int titleId, bool openFileDialog)
{
    QString stem, extension;
    SplitExtension(fileName, stem, extension);
    // The dialog starts with the current path without its extension; without
    // an extension it starts empty.
    const QString& proposed = stem;
    const QString defaultExtension =
        extension.isEmpty() ? LoadString(IDS_DEFAULT_EXTENSION) : extension;

    QFileDialog dialog(QApplication::activeWindow(), LoadString(titleId));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(openFileDialog ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(openFileDialog ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QStringList filters =
        NameFilters(LoadString(openFileDialog ? IDS_OPEN_FILTER : IDS_SAVE_FILTER));
    if (openFileDialog) {
        // Every picture the program reads, whatever the case of its extension,
        // before the program's own filters.
        filters.prepend(LoadString(IDS_ALL_PICTURES) + QStringLiteral(" (") +
                        QLatin1String(kAllPicturePatterns) + QLatin1Char(')'));
    }
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(defaultExtension);
    if (!openFileDialog) {
        // The filter of the document's own type first; a name typed without an
        // extension takes the document's, or the first of a filter the user
        // picks.
        const QString own = ShortExtension(extension);
        for (const QString& filter : filters) {
            const QStringList extensions = FilterExtensions(filter);
            if (!own.isEmpty() && extensions.contains(own, Qt::CaseInsensitive)) {
                dialog.selectNameFilter(filter);
                break;
            }
        }
        // The dialog names the filter as it shows it, without its patterns.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, filters](const QString& shown) {
                             for (const QString& filter : filters) {
                                 const QString shownWithPatterns = shown + QStringLiteral(" (");
                                 if (filter != shown && !filter.startsWith(shownWithPatterns))
                                     continue;
                                 const QStringList extensions = FilterExtensions(filter);
                                 if (!extensions.isEmpty())
                                     dialog.setDefaultSuffix(extensions.constFirst());
                                 return;
                             }
                         });
    }
    if (!proposed.isEmpty()) {
        const QFileInfo info(proposed);
        dialog.setDirectory(info.absolutePath());
        dialog.selectFile(info.fileName());
    }

    const bool accepted = s_hook ? s_hook(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    return true;
}
