#pragma once

#include <QString>

// The program's string table. Every user-visible text is looked up here by its
// id and goes through Qt's translation system, so a translation can replace it.
enum QVStringId : int {
    IDS_APP_TITLE = 128,
    IDS_SPLASH_NOTICE = 400,
    IDS_SPLASH_VERSION = 401,
    IDS_PALETTE_CAPTION = 404,
    IDS_CONTEXT_BAR_CAPTION = 405,
    IDS_MENU_BAR_CAPTION = 406,
    IDS_PALETTE_FONT = 408,
    IDS_SPLASH_FONT = 409,
    IDS_UNNAMED = 410,
    IDS_DEFAULT_EXTENSION = 411,
    IDS_FOLDER_FAILED = 412,
    IDS_OPEN_FAILED = 413,
    IDS_SAVE_FAILED = 414,
    IDS_EXPORT_DONE = 415,
    IDS_MODE_BEFORE = 416,
    IDS_MODE_AFTER = 417,
    IDS_MODE_COMBINED = 418,
    IDS_SELECT_FOLDER = 419,
    IDS_SAVE_FILTER = 420,
    IDS_OPEN_FILTER = 421,
    IDS_LANGUAGE_FAILED = 422,
    IDS_LANGUAGE_CHANGED = 423,
    IDS_LANGUAGE_LOAD_FAILED = 424,
    IDS_ALL_PICTURES = 425,
    IDS_SAVING = 440,
    IDS_EXPORTING = 441,
    IDS_EXPORT_CANCELLED = 442,
    IDS_EXPORT_CANCELLED_NONE = 443,
    IDS_EXPORT_NO_MEMORY = 444,
    AFX_IDS_OPENFILE = 61440,
    AFX_IDS_SAVEFILE = 61441,
    AFX_IDP_ASK_TO_SAVE = 61699,
};

// The text of a string-table entry, translated; empty for an unknown id.
QString LoadString(int id);

// A command's prompt (its tooltip description) and tooltip title; empty when
// the command has none.
QString CommandPrompt(int commandId);
QString CommandTitle(int commandId);
