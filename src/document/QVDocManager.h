#pragma once

#include <QString>

#include <functional>

class QFileDialog;

// Every file name the user picks for opening or saving a picture comes from
// here: the program's own filters, the current name proposed without its
// extension, and that extension as the default.
class QVDocManager
{
public:
    // Runs the configured dialog and answers whether the user confirmed.
    // Tests install a hook that inspects the dialog and answers instead.
    using DialogHook = std::function<bool(QFileDialog& dialog)>;

    // fileName carries the proposed name in and the chosen path out.
    static bool DoPromptFileName(QString& fileName, int titleId, bool openFileDialog);
    static void SetDialogHook(DialogHook hook);

    // The program's filter string ("description|patterns|...||") as Qt name filters.
    static QStringList NameFilters(const QString& filter);
    // The file name split at its last "." (a "." in a folder is not an extension):
    // stem is the path without the dot and extension; both empty without a dot.
    static void SplitExtension(const QString& fileName, QString& stem, QString& extension);
    // The extensions a Qt name filter ("description (*.a *.b)") stands for,
    // without "*.", in the filter's order.
    static QStringList FilterExtensions(const QString& nameFilter);
    // The usual short form of a picture type's extension, in lower case:
    // "jpeg" is "jpg" and "tiff" is "tif"; others as they are.
    static QString ShortExtension(const QString& extension);

private:
    static DialogHook s_hook;
};
