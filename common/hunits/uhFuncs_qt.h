// Helpers of the support library that need the window toolkit: the folder browser and
// coloured lines in a rich-text box.
#pragma once

#include <string>

class QColor;
class QTextEdit;

// Lets the user pick a folder. `caption` is the prompt, `dir` the folder selected at the
// start (when it exists). On OK `dir` becomes the chosen folder and the result is true; on
// Cancel `dir` stays as it was. `root` is accepted for callers that name a tree root; the
// toolkit's folder dialog browses the whole file system.
bool select_dir(const std::string& caption, const std::string& root, std::string& dir);

// Appends `text` as a new last line in `colour`; the font's style and size stay as they are.
void add_color_line(QTextEdit* edit, const std::string& text, const QColor& colour);

class QWidget;
// The program's main window (the first visible top-level main window), or nullptr; the
// progress window and the about box are centred over it.
QWidget* application_main_window();
