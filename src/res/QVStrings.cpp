#include "QVStrings.h"

#include <QCoreApplication>


namespace {

struct Entry
{
    int id;
    const char* text;
};

// Plain strings of the program.
const Entry kStrings[] = {
    {IDS_APP_TITLE, QT_TRANSLATE_NOOP("QVStrings", "Morvane")},
    {IDS_SPLASH_NOTICE,
     QT_TRANSLATE_NOOP("QVStrings", "Simulated results are illustrations for discussion only.\n"
                                    "They are not a promise of any surgical outcome.")},
    {IDS_SPLASH_VERSION, QT_TRANSLATE_NOOP("QVStrings", "Morvane  Version 1.0.0.5")},
    {IDS_PALETTE_CAPTION, QT_TRANSLATE_NOOP("QVStrings", "ToolBar")},
    {IDS_CONTEXT_BAR_CAPTION, QT_TRANSLATE_NOOP("QVStrings", "ContextBar")},
    {IDS_MENU_BAR_CAPTION, QT_TRANSLATE_NOOP("QVStrings", "MenuBar")},
    // The faces of the palette's title and the splash's text; a missing face
    // is replaced by the system's sans-serif.
    {IDS_PALETTE_FONT, "Trebuchet MS"},
    {IDS_SPLASH_FONT, "Trebuchet MS"},
    {IDS_UNNAMED, QT_TRANSLATE_NOOP("QVStrings", "Unnamed")},
    {IDS_DEFAULT_EXTENSION, "JPG"},
    {IDS_FOLDER_FAILED, QT_TRANSLATE_NOOP("QVStrings", "Failed to create the folder:\n%1")},
    {IDS_EXPORT_DONE, QT_TRANSLATE_NOOP("QVStrings", "Export successfully !")},
    {IDS_SELECT_FOLDER, QT_TRANSLATE_NOOP("QVStrings", "Select folder")},
    {IDS_OPEN_FAILED, QT_TRANSLATE_NOOP("QVStrings", "Failed to open the file:\n%1")},
    {IDS_SAVE_FAILED, QT_TRANSLATE_NOOP("QVStrings", "Failed to save the file:\n%1")},
    {IDS_MODE_BEFORE, QT_TRANSLATE_NOOP("QVStrings", "Before")},
    {IDS_MODE_AFTER, QT_TRANSLATE_NOOP("QVStrings", "After")},
    {IDS_MODE_COMBINED, QT_TRANSLATE_NOOP("QVStrings", "Combined")},
    {IDS_SAVE_FILTER,
     QT_TRANSLATE_NOOP("QVStrings", "BMP Files (*.bmp)|*.bmp|PNG Files (*.png)|*.png|JPG Files "
                                    "(*.jpg,*.jpeg)|*.jpg;*.jpeg|TIF Files (*.tif)|*.tif||")},
    {IDS_OPEN_FILTER,
     QT_TRANSLATE_NOOP("QVStrings",
                       "Supported files(*.bmp,*.png,*.jpg,*.tif)|*.bmp;*.png;*.jpg;*.tif|BMP Files "
                       "(*.bmp)|*.bmp|PNG Files (*.png)|*.png|JPG Files (*.jpg,*.jpeg)|*.jpg;*.jpeg|"
                       "TIF Files (*.tif)|*.tif||")},
    {IDS_ALL_PICTURES, QT_TRANSLATE_NOOP("QVStrings", "All picture files")},
    {IDS_LANGUAGE_FAILED, QT_TRANSLATE_NOOP("QVStrings", "Language setup failed!")},
    {IDS_LANGUAGE_CHANGED,
     QT_TRANSLATE_NOOP("QVStrings", "Language setup succesfully!\nYou should restart this programe!")},
    {IDS_LANGUAGE_LOAD_FAILED,
     QT_TRANSLATE_NOOP("QVStrings",
                       "Load languange resource failed!\nSystem will use the default language!")},
    // The progress of a save and an export, and how an export ends early.
    {IDS_SAVING, QT_TRANSLATE_NOOP("QVStrings", "Saving %1...")},
    {IDS_EXPORTING, QT_TRANSLATE_NOOP("QVStrings", "Exporting picture %1 of %2:\n%3")},
    {IDS_EXPORT_CANCELLED,
     QT_TRANSLATE_NOOP("QVStrings", "The export was cancelled. These pictures were written to "
                                    "the folder %1:\n%2")},
    {IDS_EXPORT_CANCELLED_NONE,
     QT_TRANSLATE_NOOP("QVStrings", "The export was cancelled before any picture was written. "
                                    "The folder %1 was left empty.")},
    {IDS_EXPORT_NO_MEMORY,
     QT_TRANSLATE_NOOP("QVStrings", "This export needs about %1 of memory, but only %2 is free.\n"
                                    "Nothing was written. Choose smaller sizes, or close other "
                                    "programs, and export again.")},
    {AFX_IDS_OPENFILE, QT_TRANSLATE_NOOP("QVStrings", "Open")},
    {AFX_IDS_SAVEFILE, QT_TRANSLATE_NOOP("QVStrings", "Save As")},
    {AFX_IDP_ASK_TO_SAVE, QT_TRANSLATE_NOOP("QVStrings", "Save changes to %1?")},
};

struct Command
{
    int id;
    const char* prompt;
    const char* title;
};

// Each command's prompt, shown as its tooltip's description, and tooltip title.
const Command kCommands[] = {
    {33901, QT_TRANSLATE_NOOP("QVStrings", "Stretch the picture in the control circle"),
     QT_TRANSLATE_NOOP("QVStrings", "Circle Stretching Tool")},
    {33902, QT_TRANSLATE_NOOP("QVStrings", "Shrink/Expanse the picture in the control circle"),
     QT_TRANSLATE_NOOP("QVStrings", "Circle Shrinking/Expansion Tool")},
    {33903, QT_TRANSLATE_NOOP("QVStrings", "Move the picture"),
     QT_TRANSLATE_NOOP("QVStrings", "Hand Tool")},
    {33904, QT_TRANSLATE_NOOP("QVStrings", "Stretch the picture in the control region"),
     QT_TRANSLATE_NOOP("QVStrings", "Region Stretching Tool")},
    {33905, QT_TRANSLATE_NOOP("QVStrings", "Shrink/Expanse the picture in the control region"),
     QT_TRANSLATE_NOOP("QVStrings", "Region Shrinking/Expansion Tool")},
    {33906,
     QT_TRANSLATE_NOOP("QVStrings", "Use right mouse button to add a new point and use left mouse "
                                    "button to move the point"),
     QT_TRANSLATE_NOOP("QVStrings", "Control Point Editing Tool")},
    {33907,
     QT_TRANSLATE_NOOP("QVStrings",
                       "Click right mouse button to copy and click left mouse button to paste"),
     QT_TRANSLATE_NOOP("QVStrings", "Copy Tool")},
    {33908, QT_TRANSLATE_NOOP("QVStrings", "Blur the picture"),
     QT_TRANSLATE_NOOP("QVStrings", "Blur Tool")},
    {33909, QT_TRANSLATE_NOOP("QVStrings", "Eraser the picture to begin"),
     QT_TRANSLATE_NOOP("QVStrings", "Eraser Tool")},
    {33910, QT_TRANSLATE_NOOP("QVStrings", "Zoom in the picture"),
     QT_TRANSLATE_NOOP("QVStrings", "ZoomIn Tool")},
    {33911, QT_TRANSLATE_NOOP("QVStrings", "Zoom out the picture"),
     QT_TRANSLATE_NOOP("QVStrings", "ZoomOut Tool")},
    {33912, QT_TRANSLATE_NOOP("QVStrings", "Unzoom the picture"),
     QT_TRANSLATE_NOOP("QVStrings", "Unzoom Tool")},
    {33913, QT_TRANSLATE_NOOP("QVStrings", "Show the whole picture in the window"),
     QT_TRANSLATE_NOOP("QVStrings", "Fit in Window")},
    {33914, QT_TRANSLATE_NOOP("QVStrings", "Make the control radius a tenth smaller"),
     QT_TRANSLATE_NOOP("QVStrings", "Smaller Radius")},
    {33915, QT_TRANSLATE_NOOP("QVStrings", "Make the control radius a tenth larger"),
     QT_TRANSLATE_NOOP("QVStrings", "Larger Radius")},
    {33921, QT_TRANSLATE_NOOP("QVStrings", "Slide it to change the control radius"),
     QT_TRANSLATE_NOOP("QVStrings", "Radius Tool")},
    {33923, QT_TRANSLATE_NOOP("QVStrings", "Select the intersect region"),
     QT_TRANSLATE_NOOP("QVStrings", "Intersect Region Tool")},
    {33924, QT_TRANSLATE_NOOP("QVStrings", "Select the excluded region"),
     QT_TRANSLATE_NOOP("QVStrings", "Excluded Region Tool")},
    {33925,
     QT_TRANSLATE_NOOP("QVStrings",
                       "The region selected will cover the region near when deformation happened"),
     QT_TRANSLATE_NOOP("QVStrings", "Cover Tool")},
    {33926,
     QT_TRANSLATE_NOOP("QVStrings", "The region selected will be covered when deformation happened"),
     QT_TRANSLATE_NOOP("QVStrings", "Becover Tool")},
    {33927, QT_TRANSLATE_NOOP("QVStrings", "Delete all the points"),
     QT_TRANSLATE_NOOP("QVStrings", "Delete Points Tool")},
    {33931, QT_TRANSLATE_NOOP("QVStrings", "Reset the picture to begin"),
     QT_TRANSLATE_NOOP("QVStrings", "Reset Tool")},
    {33932, QT_TRANSLATE_NOOP("QVStrings", "Undo the last action"),
     QT_TRANSLATE_NOOP("QVStrings", "Undo Tool")},
    {33933, QT_TRANSLATE_NOOP("QVStrings", "Redo the previously undone action"),
     QT_TRANSLATE_NOOP("QVStrings", "Redo Tool")},
    {33934, QT_TRANSLATE_NOOP("QVStrings", "Only show the picture before"),
     QT_TRANSLATE_NOOP("QVStrings", "Before mode")},
    {33935, QT_TRANSLATE_NOOP("QVStrings", "Only show the picture after"),
     QT_TRANSLATE_NOOP("QVStrings", "After mode")},
    {33936, QT_TRANSLATE_NOOP("QVStrings", "Show the picture before and after in Left\\Right mode"),
     QT_TRANSLATE_NOOP("QVStrings", "Combined Left\\Right mode")},
    {33937, QT_TRANSLATE_NOOP("QVStrings", "Show the picture before and after in Top\\Bottom mode"),
     QT_TRANSLATE_NOOP("QVStrings", "Combined Top\\Bottom mode")},
    {32804, QT_TRANSLATE_NOOP("QVStrings", "Read the help file"),
     QT_TRANSLATE_NOOP("QVStrings", "Help")},
    {57601, QT_TRANSLATE_NOOP("QVStrings", "Open an existing document"),
     QT_TRANSLATE_NOOP("QVStrings", "Open")},
    {57602, QT_TRANSLATE_NOOP("QVStrings", "Close the active document"),
     QT_TRANSLATE_NOOP("QVStrings", "Close")},
    {57603, QT_TRANSLATE_NOOP("QVStrings", "Save the active document"),
     QT_TRANSLATE_NOOP("QVStrings", "Save")},
    {57604, QT_TRANSLATE_NOOP("QVStrings", "Save the active document with a new name"),
     QT_TRANSLATE_NOOP("QVStrings", "Save As")},
    {57664, QT_TRANSLATE_NOOP("QVStrings", "Display program information, version number and copyright"),
     QT_TRANSLATE_NOOP("QVStrings", "About")},
    {57665, QT_TRANSLATE_NOOP("QVStrings", "Quit the application; prompts to save documents"),
     QT_TRANSLATE_NOOP("QVStrings", "Exit")},
};

template <class T, size_t N>
const T* Find(const T (&table)[N], int id)
{
    for (const T& e : table)
        if (e.id == id)
            return &e;
    return nullptr;
}

QString Translate(const char* text)
{
    return QCoreApplication::translate("QVStrings", text);
}

} // namespace

QString LoadString(int id)
{
    const Entry* e = Find(kStrings, id);
    return e ? Translate(e->text) : QString();
}

QString CommandPrompt(int commandId)
{
    const Command* c = Find(kCommands, commandId);
    return c ? Translate(c->prompt) : QString();
}

QString CommandTitle(int commandId)
{
    const Command* c = Find(kCommands, commandId);
    return c ? Translate(c->title) : QString();
}
