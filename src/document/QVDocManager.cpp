#include "QVDocManager.h"

#include "res/QVStrings.h"

#include <QApplication>
#include <QFileDialog>

QVDocManager::DialogHook QVDocManager::s_hook;

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
    dialog.setNameFilters(NameFilters(LoadString(openFileDialog ? IDS_OPEN_FILTER : IDS_SAVE_FILTER)));
    dialog.setDefaultSuffix(defaultExtension);
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
