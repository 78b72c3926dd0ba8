#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What a message box showed.
struct SeenMessageBox {
    std::string caption;
    std::string text;
    UINT style;   // MB_ button set and icon, as far as they can be read back
    HWND owner;
};

// Answers every message box this thread shows while it is alive, pressing
// the next of the given buttons (the last one repeats), and records each box.
struct MessageBoxAnswerer {
    std::vector<int> answers;
    std::vector<SeenMessageBox> seen;
    HHOOK hook;
};

void StartAnsweringMessageBoxes(MessageBoxAnswerer& answerer, std::vector<int> answers);
void StopAnsweringMessageBoxes(MessageBoxAnswerer& answerer);
