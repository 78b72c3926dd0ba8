#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One row of a report-style list view as another process shows it.
struct ListRow {
    std::string label;  // subitem 0
    std::string value;  // subitem 1
    int image;          // image index of the item
};

// Reads every row of a list view that belongs to another process. The item
// record and its text buffer are placed in that process, because the list
// view writes through the pointers it is handed. False, with the step that
// failed in `failure`, when the rows could not be read.
bool ReadRemoteListView(HWND list, std::vector<ListRow>& rows, std::string& failure);
