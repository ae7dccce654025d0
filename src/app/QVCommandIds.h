#pragma once

// Every user action travels as one of these command identifiers: from the
// menus, the shortcuts, the tool palette and the context bar to the view, the
// document, the child frame, the application or the main frame.
enum QVCommandId : int {
    // Tools: the current tool is the one of these chosen last.
    ID_TOOL_CIRCLE_STRETCH = 33901,
    ID_TOOL_CIRCLE_SHRINK = 33902,
    ID_TOOL_HAND = 33903,
    ID_TOOL_REGION_STRETCH = 33904,
    ID_TOOL_REGION_SHRINK = 33905,
    ID_TOOL_POINT = 33906,
    ID_TOOL_COPY = 33907,
    ID_TOOL_BLUR = 33908,
    ID_TOOL_ERASER = 33909,
    ID_ZOOM_IN = 33910,
    ID_ZOOM_OUT = 33911,
    ID_UNZOOM = 33912,
    // The zoom that shows the whole picture.
    ID_ZOOM_FIT = 33913,
    // "[" and "]": the brush radius 10 % smaller or larger, as the slider sets it.
    ID_RADIUS_SMALLER = 33914,
    ID_RADIUS_LARGER = 33915,
    // Context bar: the radius slider and its label.
    ID_RADIUS = 33921,
    ID_RADIUS_LABEL = 33922,
    ID_REGION_INTERSECT = 33923,
    ID_REGION_EXCLUDE = 33924,
    ID_REGION_COVER = 33925,
    ID_REGION_BECOVER = 33926,
    ID_DELETE_POINTS = 33927,
    ID_RESET = 33931,
    ID_UNDO = 33932,
    ID_REDO = 33933,
    ID_MODE_BEFORE = 33934,
    ID_MODE_AFTER = 33935,
    ID_MODE_LEFT_RIGHT = 33936,
    ID_MODE_TOP_BOTTOM = 33937,

    ID_FILE_EXPORT = 32801,
    ID_VIEW_PALETTE = 32802,
    ID_VIEW_CONTEXT_BAR = 32803,
    ID_HELP_FILE = 32804,
    ID_UPDATE_PAGE = 32810,
    ID_HOME_PAGE = 32811,
    ID_LANGUAGE_DEFAULT = 33805,
    ID_LANGUAGE_CHINESE = 33806,
    ID_LANGUAGE_ENGLISH = 33807,
    ID_LANGUAGE_KOREAN = 33808,
    // Switching between the document windows (Ctrl+Tab, Ctrl+Shift+Tab).
    ID_WINDOW_NEXT = 33941,
    ID_WINDOW_PREVIOUS = 33942,

    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_MRU_FILE1 = 57616, // .. 57619: the four recent files
    ID_WINDOW_ARRANGE = 57649,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
};

// The range whose states the main frame decides for bars, menus and shortcuts.
constexpr int ID_TOOL_FIRST = ID_TOOL_CIRCLE_STRETCH;
constexpr int ID_TOOL_LAST = ID_TOOL_ERASER;
constexpr int ID_TOOL_RANGE_LAST = ID_MODE_TOP_BOTTOM;
constexpr int kRecentFileCount = 4;
